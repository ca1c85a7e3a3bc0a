#pragma once

#include <cstdint>
#include <vector>

namespace qv::skin {

// A canonical prefix code as a table indexed by the next input bits (least significant bit
// first), so that decoding a symbol is a single lookup. Codes up to kRootBits long are found in a
// root table of at most 2^kRootBits entries; a longer code's root entry links to a subtable
// indexed by the bits after the root's. Small enough to stay in the first-level cache, where a
// flat table of 2^15 entries would not.
class THuffmanTree {
public:
    // An entry packs the number of bits that the code and the extra bits after it take together
    // (bits 0-7), the code length (bits 8-15) and the symbol (bits 16-31): a decoder drops what
    // bits 0-7 say without taking the entry apart first.
    static constexpr uint32_t kEmpty = 0xFFFFFFFF;
    static constexpr unsigned kRootBits = 10;

    explicit THuffmanTree(unsigned maxCodeLength);

    // Raises EInflateError for a length above the configured maximum or an over-subscribed
    // set of lengths; incomplete sets are built, leaving kEmpty entries, and Complete() tells.
    void Build(const uint8_t* lengths, unsigned symbolCount, unsigned firstExtraSymbol,
               const uint8_t* extraBits);

    // The entry of the code that the next Max() bits begin with, or kEmpty.
    uint32_t Lookup(uint64_t bits) const { return Resolve(table_[bits & rootMask_], bits); }
    unsigned Max() const { return max_; }
    // Every index of the table holds a code: the lengths use up the whole code space.
    bool Complete() const { return complete_; }
    // The root table and its index mask, for a decoder that keeps them in registers; a root
    // entry may be a link, which Resolve turns into the entry.
    const uint32_t* Table() const { return table_.data(); }
    uint32_t Mask() const { return rootMask_; }
    uint32_t Resolve(uint32_t rootEntry, uint64_t bits) const {
        if (!IsLink(rootEntry)) return rootEntry;
        return table_[(Symbol(rootEntry) & kLinkOffsetMask) + ((bits >> rootBits_) & subMask_)];
    }

    static uint32_t Entry(unsigned symbol, unsigned codeLength, unsigned extraBits) {
        return symbol << 16 | codeLength << 8 | (codeLength + extraBits);
    }
    static unsigned Symbol(uint32_t entry) { return entry >> 16; }
    static unsigned CodeLength(uint32_t entry) { return (entry >> 8) & 0xFF; }
    static unsigned ExtraBits(uint32_t entry) { return TotalBits(entry) - CodeLength(entry); }
    static unsigned TotalBits(uint32_t entry) { return entry & 0xFF; }
    // A link takes no bits, and its symbol is above every alphabet, so that a decoder's range
    // checks send it aside.
    static bool IsLink(uint32_t entry) { return TotalBits(entry) == 0; }

private:
    void FillSubtable(uint32_t reversedCode, unsigned length, uint32_t entry);

    static constexpr uint32_t kLinkSymbol = 0x8000;
    static constexpr uint32_t kLinkOffsetMask = 0x7FFF;

    unsigned maxCodeLength_;
    unsigned max_ = 0;
    bool complete_ = false;
    unsigned rootBits_ = 0;
    uint32_t rootMask_ = 0;
    uint32_t subMask_ = 0;
    std::vector<uint32_t> table_;
};

} // namespace qv::skin
