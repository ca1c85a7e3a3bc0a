#pragma once

#include "crash/symbols/ReporterLock.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <sys/types.h>
#include <vector>

namespace qv::crash {

// Holds the application's threads while an event is handled, so that the report shows a still
// picture. Threads stop only at their message retrieval: the main thread's event dispatch and the
// thread class's ProcessMessages(); threads that never retrieve messages run on.
class TThreadHolding {
public:
    static TThreadHolding& Instance();

    // How to wake the main thread when it waits for messages; set at installation.
    void SetMainThreadWaker(std::function<void()> waker);

    // Holds every thread of the thread class whose creator lies in a module with symbols, and
    // the main thread unless it is left running, but never the calling thread.
    void Hold(bool leaveMainThreadRunning = false);
    void Release();
    // Lets a held main thread run (around a synchronous listener), or holds it again if the hold
    // took it.
    void SetMainThreadRunning(bool running);
    // At a thread's message retrieval: waits while the thread is held.
    void WaitWhileHeld();

private:
    TReporterLock mutex_{"holding"};
    std::condition_variable_any changed_;
    bool mainHeld_ = false;
    // Whether the hold under way took the main thread.
    bool mainTaken_ = false;
    bool othersHeld_ = false;
    std::vector<pid_t> held_;
    std::function<void()> wakeMain_;
};

} // namespace qv::crash
