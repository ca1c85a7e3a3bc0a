#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <thread>

namespace qv::platform {

class TThread;

// Told about every thread of the program's thread class; the crash reporter installs one, so that
// it knows each thread, its class and its creator, and can hold the threads at their message
// retrieval.
class TThreadObserver {
public:
    virtual ~TThreadObserver() = default;
    // In the new thread, before its body runs.
    virtual void ThreadStarting(TThread& thread) = 0;
    // In the thread, after its body returned.
    virtual void ThreadEnding(TThread& thread) = 0;
    // In the thread, each time it retrieves its messages.
    virtual void MessagesRetrieved(TThread& thread) = 0;
};

// The program's thread class: a subclass puts the thread's work in Execute() and calls Start().
// The code that calls Start() and its thread are recorded as the thread's creator. An exception
// that escapes Execute() is not caught here: it reaches the runtime's terminate handler with the
// thread's stack intact, where the crash reporter takes it.
class TThread {
public:
    TThread() = default;
    // Waits for the thread to end.
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    static void SetObserver(TThreadObserver* observer);

    void Start();
    // Waits for the thread to end; does nothing in the thread itself or before Start().
    void WaitFor();
    void Terminate() { terminated_.store(true); }

    // The system's id of the thread; 0 until it runs.
    pid_t ThreadId() const { return threadId_.load(); }
    uintptr_t CreatorAddress() const { return creatorAddress_; }
    pid_t CreatorThreadId() const { return creatorThreadId_; }
    // The name of the object's class, as the crash report shows it.
    std::string ClassName() const;

protected:
    virtual void Execute() = 0;
    bool Terminated() const { return terminated_.load(); }
    // The thread's message retrieval: a thread that loops calls it now and then; it waits here
    // while the crash reporter holds the application's threads.
    void ProcessMessages();

private:
    std::thread thread_;
    std::atomic<pid_t> threadId_{0};
    std::atomic<bool> terminated_{false};
    uintptr_t creatorAddress_ = 0;
    pid_t creatorThreadId_ = 0;

    void Run();
};

} // namespace qv::platform
