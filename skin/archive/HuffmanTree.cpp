#include "skin/archive/HuffmanTree.h"

#include "skin/archive/EInflateError.h"

#include <algorithm>

namespace qv::skin {

namespace {
constexpr unsigned kLongestCode = 15;

uint32_t ReverseBits(uint32_t code, unsigned length) {
    uint32_t reversed = 0;
    for (unsigned i = 0; i < length; ++i) {
        reversed = (reversed << 1) | (code & 1);
        code >>= 1;
    }
    return reversed;
}
} // namespace

THuffmanTree::THuffmanTree(unsigned maxCodeLength) : maxCodeLength_(std::min(maxCodeLength, kLongestCode)) {}

void THuffmanTree::Build(const uint8_t* lengths, unsigned symbolCount, unsigned firstExtraSymbol,
                         const uint8_t* extraBits) {
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

    uint32_t nextCode[kLongestCode + 1] = {};
    uint32_t code = 0;
    for (unsigned length = 1; length <= max_; ++length) {
        code = (code + count[length - 1]) << 1;
        nextCode[length] = code;
    }

    // The table grows one bit at a time: doubling repeats every shorter code across the new
    // upper half, after which each code of the new length fills exactly one entry.
    const uint32_t size = uint32_t{1} << max_;
    mask_ = size - 1;
    table_.resize(size);
    table_[0] = kEmpty;
    for (unsigned length = 1; length <= max_; ++length) {
        const uint32_t filled = uint32_t{1} << (length - 1);
        std::copy_n(table_.begin(), filled, table_.begin() + filled);
        for (unsigned symbol = 0; symbol < symbolCount; ++symbol) {
            if (lengths[symbol] != length) continue;
            const uint32_t extra = symbol >= firstExtraSymbol ? extraBits[symbol - firstExtraSymbol] : 0;
            table_[ReverseBits(nextCode[length]++, length)] = symbol | (length << 16) | (extra << 24);
        }
    }
}

} // namespace qv::skin
