#pragma once

#include "crash/tracer/StackCopy.h"

#include <cstdint>
#include <optional>
#include <sys/types.h>
#include <ucontext.h>

namespace qv::crash {

// What a held thread left behind: its registers and a copy of its stack.
struct TThreadSnapshot {
    // The integer registers when the hold signal arrived; no floating-point state.
    ucontext_t context;
    // The thread's thread pointer (the base of its control block).
    uintptr_t threadPointer = 0;
    TStackCopy stack;
};

// Holds another thread of this process still for as long as it takes to copy its registers and
// stack. A thread cannot trace its own group's threads with ptrace, so a real-time signal stops
// it in a handler that copies its context into a slot prepared in advance and waits there. While
// it waits, the holder does only lock-free work into buffers prepared beforehand: the held thread
// may own any lock (the allocator's, stdio's, the loader's) at that moment. Only one thread is
// held at a time.
class TThreadHold {
public:
    // How long a thread may take to answer; one that blocks the signal never does.
    static constexpr int kAnswerMilliseconds = 1000;
    // Stacks beyond this are copied only in their innermost part.
    static constexpr uintptr_t kMaxStackBytes = 8u << 20;

    // Chooses a free real-time signal and installs its handler; done once, at start-up.
    static bool Install();
    // The signal chosen, or 0 before Install() or when every real-time signal was taken.
    static int Signal();

    // Holds the thread (not the calling one), copies its registers and stack and releases it;
    // nothing when it did not answer in time or its stack was not found.
    static std::optional<TThreadSnapshot> Snapshot(pid_t thread);
};

} // namespace qv::crash
