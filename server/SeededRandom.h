#pragma once

#include <cstdint>
#include <vector>

namespace qv::server {

// A small generator whose sequence depends on the seed alone, on every platform and
// library version, so that a seed always gives the same corpus.
class SeededRandom {
public:
    explicit SeededRandom(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A value from 0 to bound - 1; bound must be positive.
    int Below(int bound) { return static_cast<int>(Next() % static_cast<uint64_t>(bound)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[static_cast<size_t>(Below(static_cast<int>(items.size())))];
    }

private:
    uint64_t state_;
};

} // namespace qv::server
