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
    // An entry packs what its code stands for, as a decoder uses it: the number of bits that the
    // code and the extra bits after it take together (bits 0-7), dropped in one shift without
    // taking the entry apart first; the code length (bits 8-11); flags (bits 12-15); and the
    // value (bits 16-31), such as a literal byte or the base of a length to which the extra bits
    // add. A special entry keeps its symbol as its value.
    static constexpr uint32_t kLiteral = 1u << 12;
    // The end of a block, a symbol outside its alphabet, a code left unused, or a link.
    static constexpr uint32_t kSpecial = 1u << 13;
    static constexpr uint32_t kEmpty = 0xFFFF0000u | kSpecial;
    static constexpr unsigned kRootBits = 10;

    explicit THuffmanTree(unsigned maxCodeLength);

    // What a symbol stands for, before its code is known: a value, the number of extra bits that
    // follow its code, and flags.
    static constexpr uint32_t Meaning(unsigned value, unsigned extraBits, uint32_t flags = 0) {
        return value << 16 | flags | extraBits;
    }

    // Builds the table of the code that the lengths give the symbols, whose entries hold the
    // meanings of theirs. Raises EInflateError for a length above the configured maximum or an
    // over-subscribed set of lengths; incomplete sets are built, leaving kEmpty entries, and
    // Complete() tells.
    void Build(const uint8_t* lengths, unsigned symbolCount, const uint32_t* meanings);

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
        if ((rootEntry & kLink) == 0) return rootEntry;
        return table_[Value(rootEntry) + ((bits >> rootBits_) & subMask_)];
    }

    static uint32_t Entry(uint32_t meaning, unsigned codeLength) {
        return meaning + (codeLength << 8) + codeLength;
    }
    static unsigned Value(uint32_t entry) { return entry >> 16; }
    static unsigned CodeLength(uint32_t entry) { return (entry >> 8) & 0xF; }
    static unsigned TotalBits(uint32_t entry) { return entry & 0xFF; }
    // The value of the extra bits that follow the entry's code in the bits.
    static unsigned ExtraValue(uint64_t bits, uint32_t entry) {
        return static_cast<unsigned>((bits & ((uint64_t{1} << TotalBits(entry)) - 1)) >> CodeLength(entry));
    }

private:
    void FillSubtable(uint32_t reversedCode, unsigned length, uint32_t entry);

    // A link takes no bits; its value is where its subtable starts.
    static constexpr uint32_t kLink = 1u << 14;

    unsigned maxCodeLength_;
    unsigned max_ = 0;
    bool complete_ = false;
    unsigned rootBits_ = 0;
    uint32_t rootMask_ = 0;
    uint32_t subMask_ = 0;
    std::vector<uint32_t> table_;
};

} // namespace qv::skin
