#pragma once

#include <sys/types.h>
#include <ucontext.h>

#include <cstdint>

namespace qv::crash {

// Holds another thread of this process still while its stack is read. A thread cannot trace its
// own group's threads with ptrace, so a real-time signal stops it in a handler that copies its
// context into a slot prepared in advance and waits there until released. Only one thread is
// held at a time; the unwinding happens on the tracer's thread, never in the handler.
class TThreadHold {
public:
    // How long a thread may take to answer; one that blocks the signal never does.
    static constexpr int kAnswerMilliseconds = 1000;

    // Chooses a free real-time signal and installs its handler; done once, at start-up.
    static bool Install();
    // The signal chosen, or 0 before Install() or when every real-time signal was taken.
    static int Signal();

    // Stops the thread (not the calling one); Held() tells whether it answered in time.
    explicit TThreadHold(pid_t thread);
    // Releases the thread.
    ~TThreadHold();
    TThreadHold(const TThreadHold&) = delete;
    TThreadHold& operator=(const TThreadHold&) = delete;

    bool Held() const { return held_; }
    // The thread's context when the signal arrived, floating-point state included.
    const ucontext_t& Context() const;
    // The thread's thread pointer (the base of its control block).
    uintptr_t ThreadPointer() const;

private:
    bool held_ = false;
};

} // namespace qv::crash
