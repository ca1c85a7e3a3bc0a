#include "crash/ThreadState.h"

#include "crash/CallFrameChain.h"

#include <cinttypes>
#include <cstdio>

namespace qv::crash {

uintptr_t TThreadState::CurrentThreadPointer() {
    uintptr_t pointer = 0;
    __asm__ volatile("mov %%fs:0, %0" : "=r"(pointer));
    return pointer;
}

uintptr_t TThreadState::StackTop(uintptr_t stackPointer, uintptr_t threadPointer) {
    FILE* maps = std::fopen("/proc/self/maps", "re");
    if (maps == nullptr) return 0;
    uintptr_t top = 0;
    char line[512];
    while (std::fgets(line, sizeof line, maps) != nullptr) {
        uintptr_t start = 0;
        uintptr_t end = 0;
        if (std::sscanf(line, "%" SCNxPTR "-%" SCNxPTR, &start, &end) != 2) continue;
        if (stackPointer >= start && stackPointer < end) {
            top = end;
            break;
        }
    }
    std::fclose(maps);
    if (threadPointer > stackPointer && threadPointer < top) top = threadPointer;
    return top;
}

TThreadState TThreadState::FromContext(const ucontext_t& context, bool signalFrame, uintptr_t threadPointer) {
    TThreadState state;
    const greg_t* registers = context.uc_mcontext.gregs;
    state.instruction = static_cast<uintptr_t>(registers[REG_RIP]);
    state.stackPointer = static_cast<uintptr_t>(registers[REG_RSP]);
    state.framePointer = static_cast<uintptr_t>(registers[REG_RBP]);
    state.stackTop = StackTop(state.stackPointer, threadPointer);
    if (state.stackTop != 0)
        state.callFrames = TCallFrameChain::Walk(context, signalFrame, state.stackPointer, state.stackTop);
    return state;
}

} // namespace qv::crash
