#pragma once

#include "crash/ChainFrame.h"

#include <ucontext.h>
#include <vector>

namespace qv::crash {

// The caller chain that call-frame information gives, for code without frame pointers such as
// the system's libraries.
class TCallFrameChain {
public:
    // Unwinds from the context (a signal's or one taken by the caller) while the frames stay
    // inside [stackLow, stackHigh) and move upwards; innermost caller first. The context's own
    // instruction is not part of the result.
    static std::vector<TChainFrame> Walk(const ucontext_t& context, bool signalFrame, uintptr_t stackLow,
                                         uintptr_t stackHigh);
};

} // namespace qv::crash
