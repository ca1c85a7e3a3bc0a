#pragma once

#include "crash/tracer/ChainFrame.h"
#include "crash/tracer/StackCopy.h"

#include <ucontext.h>
#include <vector>

namespace qv::crash {

// The caller chain that call-frame information gives, for code without frame pointers such as
// the system's libraries.
class TCallFrameChain {
public:
    // Unwinds from the context's registers over the copy of its stack (code and unwind tables are
    // read from the process) while the frames stay below the copy's top and move upwards; innermost
    // caller first. The context's own instruction is not part of the result.
    static std::vector<TChainFrame> Walk(const ucontext_t& context, const TStackCopy& stack);
};

} // namespace qv::crash
