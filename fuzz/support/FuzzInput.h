#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace qv::fuzz {

// Ends the run as a find when a property does not hold; libFuzzer keeps the input that broke it.
inline void Require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "Property does not hold: %s\n", property);
    std::abort();
}

// The fuzzer's input: option bits from its first byte, the rest as text.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size)
        : options_(size > 0 ? data[0] : 0),
          text_(size > 0 ? std::string(reinterpret_cast<const char*>(data) + 1, size - 1) : std::string()) {}

    bool Option(unsigned bit) const { return (options_ >> bit) & 1; }
    // Option bits from `first` on, `count` of them, as a number.
    unsigned Options(unsigned first, unsigned count) const {
        return (options_ >> first) & ((1u << count) - 1);
    }
    // Receive sizes that cut replies at every kind of boundary, chosen by three option bits.
    size_t Piece(unsigned first) const {
        static constexpr size_t kPieces[] = {1, 2, 3, 7, 16, 100, 4096, 65536};
        return kPieces[Options(first, 3)];
    }
    const std::string& Text() const { return text_; }
    // The text cut at every separator.
    std::vector<std::string> Parts(std::string_view separator) const {
        std::vector<std::string> parts;
        size_t start = 0;
        for (size_t at = text_.find(separator); at != std::string::npos; at = text_.find(separator, start)) {
            parts.push_back(text_.substr(start, at - start));
            start = at + separator.size();
        }
        parts.push_back(text_.substr(start));
        return parts;
    }

private:
    uint8_t options_;
    std::string text_;
};

} // namespace qv::fuzz
