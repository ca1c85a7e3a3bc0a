#pragma once

#include "crash/tracer/FunctionInfo.h"

#include <cstdint>
#include <optional>

namespace qv::crash {

// Decodes single call instructions where no analysed function is at hand.
class TCallDecoder {
public:
    // The call instruction that ends exactly at the return address, decoded backwards over every
    // length a call can have; target is 0 when it is computed at run time.
    static std::optional<TCallSite> CallBefore(uintptr_t returnAddress);
    // Where a call target finally leads: a linkage stub that only jumps through a pointer is
    // followed to the function it jumps to.
    static uintptr_t FinalTarget(uintptr_t target);
};

} // namespace qv::crash
