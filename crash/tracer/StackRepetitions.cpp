#include "crash/tracer/StackRepetitions.h"

namespace qv::crash {

namespace {

std::vector<size_t> ValidPositions(const std::vector<TStackItem>& items) {
    std::vector<size_t> valid;
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i].invalid) valid.push_back(i);
    return valid;
}

// The length of the repeated stretch that starts at the n-th valid item, or 0 when none does.
size_t RepeatedStretch(const std::vector<TStackItem>& items, const std::vector<size_t>& valid, size_t n) {
    auto address = [&](size_t m) { return items[valid[m]].address; };
    size_t next = n + 1;
    while (next < valid.size() && address(next) != address(n))
        ++next;
    const size_t period = next - n;
    if (next == valid.size() || next + period > valid.size()) return 0;
    for (size_t k = 1; k < period; ++k)
        if (address(n + k) != address(next + k)) return 0;
    return period;
}

// One pass from the outermost item inwards; false when it removed nothing.
bool RemovePass(std::vector<TStackItem>& items) {
    bool removed = false;
    std::vector<size_t> valid = ValidPositions(items);
    for (size_t n = 0; n < valid.size();) {
        const size_t period = RepeatedStretch(items, valid, n);
        if (period == 0) {
            ++n;
            continue;
        }
        for (size_t k = 0; k < period; ++k)
            items[valid[n + k]].invalid = true;
        valid.erase(valid.begin() + static_cast<std::ptrdiff_t>(n),
                    valid.begin() + static_cast<std::ptrdiff_t>(n + period));
        removed = true;
    }
    return removed;
}

} // namespace

void RemoveStackRepetitions(std::vector<TStackItem>& items) {
    // Each pass removes at least one item, so the passes end.
    while (RemovePass(items)) {}
}

} // namespace qv::crash
