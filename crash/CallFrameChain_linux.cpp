#include "crash/CallFrameChain.h"

#include "crash/MemoryReader.h"

#define UNW_LOCAL_ONLY
#include <libunwind.h>

namespace qv::crash {

std::vector<TChainFrame> TCallFrameChain::Walk(const ucontext_t& context, bool signalFrame,
                                               uintptr_t stackLow, uintptr_t stackHigh) {
    std::vector<TChainFrame> chain;
    // The unwinder keeps a pointer to the context and may write to it; it works on its own copy.
    ucontext_t copy = context;
    if (context.uc_mcontext.fpregs != nullptr) copy.uc_mcontext.fpregs = &copy.__fpregs_mem;
    unw_cursor_t cursor;
    if (unw_init_local2(&cursor, &copy, signalFrame ? UNW_INIT_SIGNAL_FRAME : 0) != 0) return chain;
    unw_word_t lastSp = 0;
    unw_get_reg(&cursor, UNW_REG_SP, &lastSp);
    // A bound on the frames: each one takes at least a return address on the stack.
    const uintptr_t maxFrames = (stackHigh - stackLow) / sizeof(uintptr_t) + 1;
    while (chain.size() < maxFrames && lastSp >= stackLow && lastSp < stackHigh && unw_step(&cursor) > 0) {
        unw_word_t ip = 0;
        unw_word_t sp = 0;
        if (unw_get_reg(&cursor, UNW_REG_IP, &ip) != 0 || unw_get_reg(&cursor, UNW_REG_SP, &sp) != 0) break;
        if (sp <= lastSp || sp > stackHigh || ip == 0) break;
        // A call pushed the return address just below the caller's stack pointer.
        uintptr_t slot = sp - sizeof(uintptr_t);
        uintptr_t stored = 0;
        if (!TMemoryReader::TryRead(slot, &stored, sizeof stored) || stored != ip) slot = 0;
        chain.push_back({slot, ip});
        lastSp = sp;
    }
    return chain;
}

} // namespace qv::crash
