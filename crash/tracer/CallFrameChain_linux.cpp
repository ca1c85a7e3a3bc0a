#include "crash/tracer/CallFrameChain.h"

#include "crash/symbols/CacheLock.h"

#include <libunwind.h>

namespace qv::crash {

namespace {

// What the unwinder's callbacks read: the registers of the context and the copied stack.
struct TUnwindSource {
    const ucontext_t& context;
    const TStackCopy& stack;
};

int AccessMemory(unw_addr_space_t, unw_word_t address, unw_word_t* value, int write, void* arg) {
    if (write != 0) return -UNW_EINVAL;
    const auto& source = *static_cast<const TUnwindSource*>(arg);
    return source.stack.ReadAny(address, value, sizeof *value) ? 0 : -UNW_EINVAL;
}

int AccessRegister(unw_addr_space_t, unw_regnum_t number, unw_word_t* value, int write, void* arg) {
    static constexpr int kRegisters[] = {REG_RAX, REG_RDX, REG_RCX, REG_RBX, REG_RSI, REG_RDI,
                                         REG_RBP, REG_RSP, REG_R8,  REG_R9,  REG_R10, REG_R11,
                                         REG_R12, REG_R13, REG_R14, REG_R15, REG_RIP};
    static_assert(UNW_X86_64_RIP == 16 && UNW_X86_64_RSP == 7);
    if (write != 0 || number < 0 || number > UNW_X86_64_RIP) return -UNW_EBADREG;
    const auto& source = *static_cast<const TUnwindSource*>(arg);
    *value = static_cast<unw_word_t>(source.context.uc_mcontext.gregs[kRegisters[number]]);
    return 0;
}

int AccessFloatRegister(unw_addr_space_t, unw_regnum_t, unw_fpreg_t*, int, void*) {
    return -UNW_EBADREG;
}

int Resume(unw_addr_space_t, unw_cursor_t*, void*) {
    return -UNW_EINVAL;
}

int ProcedureName(unw_addr_space_t, unw_word_t, char*, size_t, unw_word_t*, void*) {
    return -UNW_ENOINFO;
}

// The process's own unwind tables, found the way local unwinding finds them, with register and
// stack reads redirected to a copy. Made once and kept, with its caches.
unw_addr_space_t CopyAddressSpace() {
    static const unw_addr_space_t space = [] {
        unw_accessors_t accessors = *unw_get_accessors(unw_local_addr_space);
        accessors.access_mem = &AccessMemory;
        accessors.access_reg = &AccessRegister;
        accessors.access_fpreg = &AccessFloatRegister;
        accessors.resume = &Resume;
        accessors.get_proc_name = &ProcedureName;
        const unw_addr_space_t created = unw_create_addr_space(&accessors, 0);
        unw_set_caching_policy(created, UNW_CACHE_GLOBAL);
        return created;
    }();
    return space;
}

} // namespace

std::vector<TChainFrame> TCallFrameChain::Walk(const ucontext_t& context, const TStackCopy& stack) {
    std::vector<TChainFrame> chain;
    // The address space's caches are shared.
    const std::lock_guard lock(CacheLock());
    const unw_addr_space_t space = CopyAddressSpace();
    if (space == nullptr) return chain;
    TUnwindSource source{context, stack};
    unw_cursor_t cursor;
    if (unw_init_remote(&cursor, space, &source) != 0) return chain;
    unw_word_t lastSp = 0;
    unw_get_reg(&cursor, UNW_REG_SP, &lastSp);
    // A bound on the frames: each one takes at least a return address on the stack.
    const uintptr_t maxFrames = stack.Slots().size() + 1;
    while (chain.size() < maxFrames && lastSp < stack.High() && unw_step(&cursor) > 0) {
        unw_word_t ip = 0;
        unw_word_t sp = 0;
        if (unw_get_reg(&cursor, UNW_REG_IP, &ip) != 0 || unw_get_reg(&cursor, UNW_REG_SP, &sp) != 0) break;
        if (sp <= lastSp || sp > stack.High() || ip == 0) break;
        // A call pushed the return address just below the caller's stack pointer.
        uintptr_t slot = sp - sizeof(uintptr_t);
        uintptr_t stored = 0;
        if (!stack.Read(slot, &stored, sizeof stored) || stored != ip) slot = 0;
        chain.push_back({slot, ip});
        lastSp = sp;
    }
    return chain;
}

} // namespace qv::crash
