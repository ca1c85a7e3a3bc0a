#include "framework/Conversions.h"

#include "framework/EConvertError.h"
#include "framework/Format.h"

#include <algorithm>
#include <limits>

namespace qv::framework {

namespace {
int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
} // namespace

std::optional<int32_t> TryStrToInt(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return std::nullopt;
    // Hex literals may fill all 32 bits (as in "$FFFFFFFF"); decimals must fit the signed range.
    const int64_t limit = base == 16 ? int64_t{0xFFFFFFFF} : int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i]);
        if (digit < 0 || digit >= base) return std::nullopt;
        value = value * base + digit;
        if (value > limit) return std::nullopt;
    }
    if (base == 10 && !negative && value > std::numeric_limits<int32_t>::max()) return std::nullopt;
    const auto bits = static_cast<uint32_t>(value);
    const auto result = static_cast<int32_t>(negative ? 0u - bits : bits);
    return result;
}

int32_t StrToInt(const std::string& text) {
    if (const auto value = TryStrToInt(text)) return *value;
    throw EConvertError(FormatMessage(SInvalidInteger, text));
}

int32_t StrToIntDef(const std::string& text, int32_t fallback) {
    return TryStrToInt(text).value_or(fallback);
}

std::string IntToStr(long long value) {
    return std::to_string(value);
}

std::optional<uint32_t> TryHexToInt(const std::string& text) {
    if (text.empty() || text.size() > 8) return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        const int digit = DigitValue(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return text;
}

std::string LowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

bool SameText(std::string_view a, std::string_view b) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&upper](char x, char y) { return upper(x) == upper(y); });
}

namespace {
bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}
} // namespace

std::string TrimLeft(const std::string& text) {
    size_t first = 0;
    while (first < text.size() && IsTrimmed(text[first]))
        ++first;
    return text.substr(first);
}

std::string TrimRight(const std::string& text) {
    size_t last = text.size();
    while (last > 0 && IsTrimmed(text[last - 1]))
        --last;
    return text.substr(0, last);
}

std::string Trim(const std::string& text) {
    return TrimLeft(TrimRight(text));
}

} // namespace qv::framework
