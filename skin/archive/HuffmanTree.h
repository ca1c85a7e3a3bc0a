#pragma once

#include <cstdint>
#include <vector>

namespace qv::skin {

// A canonical prefix code as one flat table indexed by the next `max` input bits (least
// significant bit first), so that decoding a symbol is a single lookup.
class THuffmanTree {
public:
    // An entry packs the symbol (bits 0-15), its code length (bits 16-23) and the number of
    // extra bits that follow the code (bits 24-31).
    static constexpr uint32_t kEmpty = 0xFFFFFFFF;

    explicit THuffmanTree(unsigned maxCodeLength);

    // Raises EInflateError for a length above the configured maximum or an over-subscribed
    // set of lengths; incomplete sets are built, leaving kEmpty entries, and Complete() tells.
    void Build(const uint8_t* lengths, unsigned symbolCount, unsigned firstExtraSymbol,
               const uint8_t* extraBits);

    uint32_t Lookup(uint32_t bits) const { return table_[bits & mask_]; }
    unsigned Max() const { return max_; }
    // Every index of the table holds a code: the lengths use up the whole code space.
    bool Complete() const { return complete_; }
    // The flat table and its index mask, for a decoder that keeps them in registers.
    const uint32_t* Table() const { return table_.data(); }
    uint32_t Mask() const { return mask_; }

    static unsigned Symbol(uint32_t entry) { return entry & 0xFFFF; }
    static unsigned CodeLength(uint32_t entry) { return (entry >> 16) & 0xFF; }
    static unsigned ExtraBits(uint32_t entry) { return entry >> 24; }

private:
    unsigned maxCodeLength_;
    unsigned max_ = 0;
    bool complete_ = false;
    uint32_t mask_ = 0;
    std::vector<uint32_t> table_;
};

} // namespace qv::skin
