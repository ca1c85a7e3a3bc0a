#pragma once

#include "crash/tracer/ChainFrame.h"
#include "crash/tracer/StackCopy.h"

#include <cstdint>
#include <ucontext.h>
#include <vector>

namespace qv::crash {

// Where a thread stands: its current instruction, a copy of its stack from the stack pointer to
// the top, its frame pointer and the callers that call-frame information names.
struct TThreadState {
    uintptr_t instruction = 0;
    uintptr_t stackPointer = 0;
    uintptr_t framePointer = 0;
    TStackCopy stack;
    std::vector<TChainFrame> callFrames;

    // The state in a context whose stack was copied.
    static TThreadState FromContext(const ucontext_t& context, TStackCopy stack);
    // The state of a thread of this process that stands still meanwhile (it waits, or it is the
    // caller): its stack is copied from the live memory. The stack ends where the mapping that
    // holds the stack pointer ends, or at the thread pointer when that lies inside it.
    static TThreadState FromLiveContext(const ucontext_t& context, uintptr_t threadPointer);
    // The calling thread's thread pointer; safe in a signal handler.
    static uintptr_t CurrentThreadPointer();
};

} // namespace qv::crash
