#pragma once

#include "crash/tracer/StackItem.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace qv::crash {

// Keeps, between each pair of neighbouring anchored items, only the best-scoring chain of links
// between them. Items run from the outermost to the innermost.
class TLinkChains {
public:
    // A link through a known function, and the same when analysis confirmed the callee's item.
    static constexpr uint64_t kKnownFunction = 4096;
    static constexpr uint64_t kConfirmedFunction = 16777216;
    // A link that names no function: plain, into a module with symbols, and between two items
    // that both have line numbers.
    static constexpr uint64_t kUnnamed = 1;
    static constexpr uint64_t kUnnamedWithSymbols = 256;
    static constexpr uint64_t kUnnamedWithLines = 1024;
    // Reaching the inner anchor, without and with a link through a known function.
    static constexpr uint64_t kReachAnchor = 0x50000000;
    static constexpr uint64_t kReachAnchorLinked = 0x70000000;

    // What a step from an outer item to the next inner one on a chain weighs; 0 when the outer
    // item's call leads to some other function than the inner item's.
    static uint64_t LinkWeight(const TStackItem& outer, const TStackItem& inner);

    // progress receives 0 to 1000 as the pairs are worked through.
    static void Realize(std::vector<TStackItem>& items, const std::function<void(int)>& progress);
};

} // namespace qv::crash
