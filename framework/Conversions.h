#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv::framework {

// The framework's integer reading: leading blanks are skipped, then an optional
// sign and an optional "$" or "0x" hex prefix; everything else must be digits
// and the value must fit 32 bits. Trailing characters make the text invalid.
std::optional<int32_t> TryStrToInt(const std::string& text);
// Raises EConvertError with "'%s' is not a valid integer value".
int32_t StrToInt(const std::string& text);
int32_t StrToIntDef(const std::string& text, int32_t fallback);
std::string IntToStr(long long value);

// Reads a plain hexadecimal number (digits of either case, no prefix, no sign).
std::optional<uint32_t> TryHexToInt(const std::string& text);

std::string UpperCase(std::string text);
std::string LowerCase(std::string text);
// Equal but for the case of ASCII letters.
bool SameText(std::string_view a, std::string_view b);
// Trim removes blanks and control characters at both ends, as the framework does.
std::string Trim(const std::string& text);
std::string TrimLeft(const std::string& text);
std::string TrimRight(const std::string& text);

} // namespace qv::framework
