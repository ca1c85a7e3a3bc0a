#include "skin/archive/HuffmanTree.h"

#include "skin/archive/EInflateError.h"

#include <algorithm>
#include <array>

namespace qv::skin {

namespace {
constexpr unsigned kLongestCode = 15;
// The literal/length alphabet of the fixed code is the largest.
constexpr unsigned kMaxSymbols = 288;

constexpr std::array<uint8_t, 256> kReversedBytes = [] {
    std::array<uint8_t, 256> reversed{};
    for (unsigned byte = 0; byte < 256; ++byte)
        for (unsigned bit = 0; bit < 8; ++bit)
            reversed[byte] |= static_cast<uint8_t>(((byte >> bit) & 1) << (7 - bit));
    return reversed;
}();

// The code's length bits in reverse order; codes are at most 15 bits long.
uint32_t ReverseBits(uint32_t code, unsigned length) {
    const uint32_t reversed16 =
        (uint32_t{kReversedBytes[code & 0xFF]} << 8) | kReversedBytes[(code >> 8) & 0xFF];
    return reversed16 >> (16 - length);
}
} // namespace

THuffmanTree::THuffmanTree(unsigned maxCodeLength) : maxCodeLength_(std::min(maxCodeLength, kLongestCode)) {}

void THuffmanTree::Build(const uint8_t* lengths, unsigned symbolCount, const uint32_t* meanings) {
    unsigned count[kLongestCode + 1] = {};
    max_ = 0;
    for (unsigned symbol = 0; symbol < symbolCount; ++symbol) {
        const unsigned length = lengths[symbol];
        if (length > maxCodeLength_) throw EInflateError("Invalid code length");
        ++count[length];
        max_ = std::max(max_, length);
    }
    count[0] = 0;

    int left = 1;
    for (unsigned length = 1; length <= max_; ++length) {
        left = left * 2 - static_cast<int>(count[length]);
        if (left < 0) throw EInflateError("Over-subscribed code lengths");
    }
    complete_ = max_ > 0 && left == 0;

    // The symbols in canonical order: by code length, then by symbol.
    if (symbolCount > kMaxSymbols) throw EInflateError("Too many symbols");
    unsigned firstOfLength[kLongestCode + 2] = {};
    for (unsigned length = 1; length <= kLongestCode; ++length)
        firstOfLength[length + 1] = firstOfLength[length] + count[length];
    uint16_t ordered[kMaxSymbols];
    unsigned next[kLongestCode + 1];
    std::copy_n(firstOfLength, kLongestCode + 1, next);
    for (unsigned symbol = 0; symbol < symbolCount; ++symbol)
        if (lengths[symbol] != 0) ordered[next[lengths[symbol]]++] = static_cast<uint16_t>(symbol);

    rootBits_ = std::min(max_, kRootBits);
    rootMask_ = (uint32_t{1} << rootBits_) - 1;
    subMask_ = (uint32_t{1} << (max_ - rootBits_)) - 1;
    table_.resize(size_t{1} << rootBits_);
    table_[0] = kEmpty;

    uint32_t code = 0;
    for (unsigned length = 1; length <= max_; ++length, code <<= 1) {
        // The root table grows one bit at a time: doubling repeats every shorter code across the
        // new upper half, after which each code of the new length fills exactly one entry.
        if (length <= rootBits_) {
            const uint32_t filled = uint32_t{1} << (length - 1);
            std::copy_n(table_.begin(), filled, table_.begin() + filled);
        }
        for (unsigned i = firstOfLength[length]; i < firstOfLength[length + 1]; ++i, ++code) {
            const uint32_t entry = Entry(meanings[ordered[i]], length);
            const uint32_t reversed = ReverseBits(code, length);
            if (length <= rootBits_)
                table_[reversed] = entry;
            else
                FillSubtable(reversed, length, entry);
        }
    }
}

// Codes that share their first rootBits_ bits share a subtable, in which a code fills every
// index that its remaining bits end.
void THuffmanTree::FillSubtable(uint32_t reversedCode, unsigned length, uint32_t entry) {
    const uint32_t rootIndex = reversedCode & rootMask_;
    if ((table_[rootIndex] & kLink) == 0) {
        table_[rootIndex] = static_cast<uint32_t>(table_.size()) << 16 | kSpecial | kLink;
        table_.resize(table_.size() + subMask_ + 1, kEmpty);
    }
    const size_t subtable = Value(table_[rootIndex]);
    const uint32_t step = uint32_t{1} << (length - rootBits_);
    for (uint32_t index = reversedCode >> rootBits_; index <= subMask_; index += step)
        table_[subtable + index] = entry;
}

} // namespace qv::skin
