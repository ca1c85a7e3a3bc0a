#include "crash/ThreadState.h"

#include "crash/CallFrameChain.h"
#include "crash/StackMaps.h"
#include "crash/ThreadHold.h"

#include <algorithm>

namespace qv::crash {

uintptr_t TThreadState::CurrentThreadPointer() {
    uintptr_t pointer = 0;
    __asm__ volatile("mov %%fs:0, %0" : "=r"(pointer));
    return pointer;
}

TThreadState TThreadState::FromContext(const ucontext_t& context, TStackCopy stack) {
    TThreadState state;
    const greg_t* registers = context.uc_mcontext.gregs;
    state.instruction = static_cast<uintptr_t>(registers[REG_RIP]);
    state.stackPointer = static_cast<uintptr_t>(registers[REG_RSP]);
    state.framePointer = static_cast<uintptr_t>(registers[REG_RBP]);
    state.stack = std::move(stack);
    state.callFrames = TCallFrameChain::Walk(context, state.stack);
    return state;
}

TThreadState TThreadState::FromLiveContext(const ucontext_t& context, uintptr_t threadPointer) {
    const auto stackPointer = static_cast<uintptr_t>(context.uc_mcontext.gregs[REG_RSP]);
    const uintptr_t top = TStackMaps::Read().StackTop(stackPointer, threadPointer);
    const uintptr_t high = std::min(top, stackPointer + TThreadHold::kMaxStackBytes);
    return FromContext(context, TStackCopy::FromMemory(stackPointer, high).value_or(TStackCopy()));
}

} // namespace qv::crash
