#pragma once

#include <string>
#include <string_view>

namespace qv::framework {

// Windows-1252, the program's 8-bit code page. Bytes that it leaves unassigned (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) stand for the control characters of the same value.
char32_t Cp1252CodePoint(unsigned char byte);
// The byte of a code point; "?" when the code page has none.
char Cp1252Byte(char32_t codePoint);
// The text in UTF-8, for programs and files outside that read no other code page.
std::string Cp1252ToUtf8(std::string_view text);

} // namespace qv::framework
