#include "crash/tracer/FrameChain.h"

namespace qv::crash {

std::vector<TChainFrame> TFrameChain::Walk(uintptr_t framePointer, const TStackCopy& stack) {
    std::vector<TChainFrame> chain;
    uintptr_t frame = framePointer;
    uintptr_t saved[2];
    // Each step moves strictly upwards inside the copy, so the walk ends.
    while (frame % sizeof(uintptr_t) == 0 && stack.Read(frame, saved, sizeof saved)) {
        chain.push_back({frame + sizeof(uintptr_t), saved[1]});
        if (saved[0] <= frame) break;
        frame = saved[0];
    }
    return chain;
}

} // namespace qv::crash
