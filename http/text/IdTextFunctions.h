#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

// Text functions of the networking classes. Positions count from 1, 0 meaning absent.
// Text is 8-bit Windows-1252, a single-byte code page without lead bytes, so every
// search is a plain byte search and every byte is one character.
namespace qv::http {

// Upper case in Windows-1252: ASCII letters and the accented letters that have a
// capital in the code page (the comparisons "without regard to case" use it).
std::string AnsiUpperCase(std::string text);
bool AnsiSameText(const std::string& a, const std::string& b);

// First occurrence of part in text, case-sensitive; 0 when absent or part is empty.
int TextPos(const std::string& part, const std::string& text);
// Last occurrence of part beginning at or before start (-1: the text's length),
// compared without regard to case; 0 when absent or part is empty.
int LastPos(const std::string& part, const std::string& text, int start = -1);
// Index (from 0) of the first entry equal to text; -1 when none.
int IndexOfText(const std::string& text, const std::vector<std::string>& list, bool caseSensitive);
// The part of text before delimiter (all of it when absent); with remove, that part and
// the delimiter are cut off text (text becomes empty when the delimiter is absent).
std::string SplitAt(std::string& text, const std::string& delimiter, bool remove);

// 1 to 7 for "SUN" to "SAT", 1 to 12 for "JAN" to "DEC", without regard to case; 0 otherwise.
int DayNameIndex(const std::string& text);
int MonthNameIndex(const std::string& text);

void ForwardSlashes(std::string& text);

// A number written in decimal digits only (no blank, sign or prefix) that is at most max;
// nothing for any other text.
std::optional<int64_t> StrictDecimal(const std::string& text,
                                     int64_t max = std::numeric_limits<int64_t>::max());

// Breaks text into lines of about width characters: after the last break character
// (outside double quotes) before the column passes width, breakText is inserted and
// the break characters that follow are skipped. Text without such a break character
// is never broken.
std::string WrapText(const std::string& text, const std::string& breakText, const std::string& breakChars,
                     int width);

} // namespace qv::http
