#include "crash/tracer/LinkChains.h"

namespace qv::crash {

namespace {

bool Links(const TStackItem& outer, const TStackItem& inner) {
    if (outer.callTarget == 0) return false;
    return outer.callTarget == inner.functionStart ||
           (!outer.callTargetName.empty() && outer.callTargetName == inner.functionName);
}

constexpr size_t kOuterEnd = SIZE_MAX;

uint64_t StepWeight(const std::vector<TStackItem>& items, size_t outer, size_t inner, bool intoAnchor) {
    if (outer == kOuterEnd) return intoAnchor ? TLinkChains::kReachAnchor : 0;
    uint64_t weight = TLinkChains::LinkWeight(items[outer], items[inner]);
    if (intoAnchor)
        weight +=
            Links(items[outer], items[inner]) ? TLinkChains::kReachAnchorLinked : TLinkChains::kReachAnchor;
    return weight;
}

// Drops the valid items between the anchors from and to, then restores the best-scoring chain of
// links from one to the other. from is kOuterEnd for the outer end of the stack.
void RestoreBestChain(std::vector<TStackItem>& items, size_t from, size_t to) {
    std::vector<size_t> nodes{from};
    for (size_t i = from == kOuterEnd ? 0 : from + 1; i < to; ++i)
        if (!items[i].invalid) nodes.push_back(i);
    nodes.push_back(to);
    // best[n]: the score of the best chain from the outer anchor to nodes[n].
    std::vector<uint64_t> best(nodes.size(), 0);
    std::vector<size_t> previous(nodes.size(), 0);
    for (size_t n = 1; n < nodes.size(); ++n) {
        const bool intoAnchor = n + 1 == nodes.size();
        for (size_t m = 0; m < n; ++m) {
            const uint64_t score = best[m] + StepWeight(items, nodes[m], nodes[n], intoAnchor);
            if (m == 0 || score > best[n]) {
                best[n] = score;
                previous[n] = m;
            }
        }
    }
    std::vector<bool> keep(nodes.size(), false);
    for (size_t n = nodes.size() - 1; n != 0; n = previous[n])
        keep[n] = true;
    for (size_t n = 1; n + 1 < nodes.size(); ++n)
        if (!keep[n]) items[nodes[n]].invalid = true;
}

} // namespace

uint64_t TLinkChains::LinkWeight(const TStackItem& outer, const TStackItem& inner) {
    if (Links(outer, inner)) return inner.confirmed ? kConfirmedFunction : kKnownFunction;
    if (outer.callTarget != 0) return 0;
    if (!inner.moduleHasSymbols) return kUnnamed;
    return outer.hasLine && inner.hasLine ? kUnnamedWithLines : kUnnamedWithSymbols;
}

void TLinkChains::Realize(std::vector<TStackItem>& items, const std::function<void(int)>& progress) {
    std::vector<size_t> anchors;
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i].invalid && (items[i].anchored || items[i].certain)) anchors.push_back(i);
    size_t from = kOuterEnd;
    for (size_t n = 0; n < anchors.size(); ++n) {
        if (from != kOuterEnd && items[anchors[n]].unwound >= 0 &&
            items[from].unwound > items[anchors[n]].unwound) {
            // The unwinder went from one to the other, and every frame it found between them (if
            // any) was a repetition: whatever else lies between is stale.
            for (size_t i = from + 1; i < anchors[n]; ++i)
                items[i].invalid = true;
        } else {
            RestoreBestChain(items, from, anchors[n]);
        }
        from = anchors[n];
        if (progress) progress(static_cast<int>((n + 1) * 1000 / anchors.size()));
    }
}

} // namespace qv::crash
