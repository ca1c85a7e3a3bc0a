#pragma once

#include "crash/ChainFrame.h"

#include <cstdint>
#include <ucontext.h>
#include <vector>

namespace qv::crash {

// Where a thread stands: its current instruction, its stack from the stack pointer to the top,
// its frame pointer and the callers that call-frame information names.
struct TThreadState {
    uintptr_t instruction = 0;
    uintptr_t stackPointer = 0;
    uintptr_t stackTop = 0;
    uintptr_t framePointer = 0;
    std::vector<TChainFrame> callFrames;

    // The state in a context. The stack ends where the mapping holding the stack pointer ends, or
    // at the thread pointer when that lies inside it (a thread's control block tops its stack).
    static TThreadState FromContext(const ucontext_t& context, bool signalFrame, uintptr_t threadPointer);
    // The end of the mapping that holds the address, capped at the thread pointer; 0 when unmapped.
    static uintptr_t StackTop(uintptr_t stackPointer, uintptr_t threadPointer);
    // The calling thread's thread pointer; safe in a signal handler.
    static uintptr_t CurrentThreadPointer();
};

} // namespace qv::crash
