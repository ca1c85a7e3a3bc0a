#include "crash/FrameChain.h"

#include "crash/MemoryReader.h"

namespace qv::crash {

std::vector<TChainFrame> TFrameChain::Walk(uintptr_t framePointer, uintptr_t stackLow, uintptr_t stackHigh) {
    std::vector<TChainFrame> chain;
    uintptr_t frame = framePointer;
    // Each step moves strictly upwards inside the range, so the walk ends.
    while (frame >= stackLow && frame < stackHigh && stackHigh - frame >= 2 * sizeof(uintptr_t) &&
           frame % sizeof(uintptr_t) == 0) {
        uintptr_t saved[2];
        if (!TMemoryReader::TryRead(frame, saved, sizeof saved)) break;
        chain.push_back({frame + sizeof(uintptr_t), saved[1]});
        if (saved[0] <= frame) break;
        frame = saved[0];
    }
    return chain;
}

} // namespace qv::crash
