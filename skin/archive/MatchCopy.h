#pragma once

#include "skin/archive/LittleEndian.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace qv::skin {

// The longest match deflate codes.
inline constexpr size_t kMaxMatch = 258;
// Room that CopyMatch needs past the end of a match for the whole pieces in which it overshoots.
inline constexpr size_t kCopySlack = 32;

// Copies whole pieces, at least one, from `from` to `target` until `target` reaches `end`.
template <size_t kPiece>
void CopyPieces(uint8_t* target, const uint8_t* from, const uint8_t* end) {
    do {
        std::memcpy(target, from, kPiece);
        target += kPiece;
        from += kPiece;
    } while (target < end);
}

// Copies length bytes from distance bytes back, as deflate defines it: byte by byte, so that an
// overlapping copy repeats its pattern. It may write up to kCopySlack bytes past the end.
inline void CopyMatch(uint8_t* target, unsigned distance, unsigned length) {
    const uint8_t* from = target - distance;
    uint8_t* const end = target + length;
    // Pieces as long as the distance allows: a piece never reads bytes that this copy has yet
    // to write, and a short match with its source close by does not read back bytes it has
    // just stored, which would wait for the store to complete.
    if (distance >= 32) {
        CopyPieces<32>(target, from, end);
    } else if (distance >= 16) {
        CopyPieces<16>(target, from, end);
    } else if (distance >= 8) {
        CopyPieces<8>(target, from, end);
    } else {
        // A period shorter than a word: the pattern is spread over a whole word once, then
        // stored again and again, advancing by the most whole periods that fit in a word.
        // Loading back bytes just stored would stall the copy on every word.
        uint64_t pattern = ReadU64(from) & ((uint64_t{1} << (8 * distance)) - 1);
        for (unsigned filled = distance; filled < 8; filled *= 2)
            pattern |= pattern << (8 * filled);
        constexpr uint8_t kWholePeriods[8] = {0, 8, 8, 6, 8, 5, 6, 7};
        const unsigned step = kWholePeriods[distance];
        do {
            WriteU64(target, pattern);
            target += step;
        } while (target < end);
    }
}

} // namespace qv::skin
