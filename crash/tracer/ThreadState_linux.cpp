#include "crash/tracer/ThreadState.h"

#include "crash/tracer/CallFrameChain.h"
#include "crash/tracer/StackMaps.h"
#include "crash/tracer/ThreadHold.h"

#include <algorithm>

namespace qv::crash {

namespace {

constexpr uintptr_t kPageSize = 4096;
// How far above its stack pointer a thread's readable stack may start.
constexpr uintptr_t kGuardReach = 64 * 1024;

} // namespace

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
    const TStackMaps maps = TStackMaps::Read();
    // A thread whose stack overflowed stands in its guard page, or for the main thread below its
    // stack's mapping: its stack starts at a page above, in the mapping that its control block tops
    // or the first one above an unmapped stack pointer.
    const bool unmapped = maps.StackTop(stackPointer, threadPointer) == 0;
    for (uintptr_t low = stackPointer; low - stackPointer < kGuardReach; low = (low | (kPageSize - 1)) + 1) {
        const uintptr_t top = maps.StackTop(low, threadPointer);
        if (top <= low || (low != stackPointer && top != threadPointer && !unmapped)) continue;
        if (auto copy = TStackCopy::FromMemory(low, std::min(top, low + TThreadHold::kMaxStackBytes)))
            return FromContext(context, std::move(*copy));
    }
    return FromContext(context, TStackCopy());
}

} // namespace qv::crash
