#pragma once

#include "crash/tracer/ChainFrame.h"
#include "crash/tracer/StackCopy.h"

#include <vector>

namespace qv::crash {

// The chain of saved frame pointers, as code built with frame pointers leaves it on the stack.
class TFrameChain {
public:
    // Follows the chain from the frame pointer while each saved frame pointer is higher than the
    // last and the frame lies inside the copied stack; innermost frame first.
    static std::vector<TChainFrame> Walk(uintptr_t framePointer, const TStackCopy& stack);
};

} // namespace qv::crash
