#include "http/text/IdTextFunctions.h"

#include <algorithm>
#include <array>

namespace qv::http {

namespace {
constexpr std::array<unsigned char, 256> MakeUpperTable() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<size_t>(c)] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        table[static_cast<size_t>(c)] = static_cast<unsigned char>(c - 0x20);
    // Accented small letters sit 0x20 above their capitals, except the division sign.
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7) table[static_cast<size_t>(c)] = static_cast<unsigned char>(c - 0x20);
    table[0x9A] = 0x8A; // s caron
    table[0x9C] = 0x8C; // oe ligature
    table[0x9E] = 0x8E; // z caron
    table[0xFF] = 0x9F; // y diaeresis
    return table;
}

constexpr std::array<unsigned char, 256> UpperTable = MakeUpperTable();

char UpperChar(char c) {
    return static_cast<char>(UpperTable[static_cast<unsigned char>(c)]);
}

bool SameTextAt(const std::string& text, size_t offset, const std::string& part) {
    for (size_t i = 0; i < part.size(); ++i)
        if (UpperChar(text[offset + i]) != UpperChar(part[i])) return false;
    return true;
}

int IndexInTable(const std::string& text, const std::vector<std::string>& table) {
    return IndexOfText(text, table, false) + 1;
}

size_t FindWrapPoint(const std::string& text, size_t start, int column, int width,
                     const std::string& breakChars) {
    bool quoted = false;
    size_t lastBreak = std::string::npos;
    for (size_t i = start; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (!quoted && breakChars.find(text[i]) != std::string::npos)
            lastBreak = i;
        ++column;
        if (column > width && lastBreak != std::string::npos) return lastBreak;
    }
    return std::string::npos;
}
} // namespace

std::string AnsiUpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), UpperChar);
    return text;
}

bool AnsiSameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && SameTextAt(a, 0, b);
}

int TextPos(const std::string& part, const std::string& text) {
    if (part.empty()) return 0;
    const size_t found = text.find(part);
    return found == std::string::npos ? 0 : static_cast<int>(found) + 1;
}

int LastPos(const std::string& part, const std::string& text, int start) {
    const auto partLength = static_cast<long long>(part.size());
    const auto textLength = static_cast<long long>(text.size());
    if (partLength == 0 || partLength > textLength) return 0;
    long long pos = start == -1 ? textLength : start;
    pos = std::min(pos, textLength - partLength + 1);
    for (; pos >= 1; --pos)
        if (SameTextAt(text, static_cast<size_t>(pos - 1), part)) return static_cast<int>(pos);
    return 0;
}

int IndexOfText(const std::string& text, const std::vector<std::string>& list, bool caseSensitive) {
    for (size_t i = 0; i < list.size(); ++i)
        if (caseSensitive ? list[i] == text : AnsiSameText(list[i], text)) return static_cast<int>(i);
    return -1;
}

std::string SplitAt(std::string& text, const std::string& delimiter, bool remove) {
    const int pos = TextPos(delimiter, text);
    if (pos == 0) {
        std::string whole = text;
        if (remove) text.clear();
        return whole;
    }
    const auto before = static_cast<size_t>(pos - 1);
    std::string head = text.substr(0, before);
    if (remove) text.erase(0, before + delimiter.size());
    return head;
}

int DayNameIndex(const std::string& text) {
    static const std::vector<std::string> days = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
    return IndexInTable(text, days);
}

int MonthNameIndex(const std::string& text) {
    static const std::vector<std::string> months = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                    "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    return IndexInTable(text, months);
}

void ForwardSlashes(std::string& text) {
    std::replace(text.begin(), text.end(), '\\', '/');
}

std::optional<int64_t> StrictDecimal(const std::string& text, int64_t max) {
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const int digit = c - '0';
        if (value > (max - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::string WrapText(const std::string& text, const std::string& breakText, const std::string& breakChars,
                     int width) {
    // A new line starts in the column after whatever breakText puts behind its own line end.
    const size_t breakLineEnd = breakText.find_last_of("\r\n");
    const auto indent = static_cast<int>(
        breakLineEnd == std::string::npos ? breakText.size() : breakText.size() - breakLineEnd - 1);
    std::string result;
    size_t lineStart = 0;
    for (;;) {
        const size_t breakAt = FindWrapPoint(text, lineStart, lineStart == 0 ? 0 : indent, width, breakChars);
        if (breakAt == std::string::npos) break;
        size_t next = breakAt + 1;
        while (next < text.size() && breakChars.find(text[next]) != std::string::npos)
            ++next;
        // Only break chars remain: a break here would leave an empty line behind.
        if (next == text.size()) break;
        result.append(text, lineStart, breakAt + 1 - lineStart);
        result += breakText;
        lineStart = next;
    }
    result.append(text, lineStart, std::string::npos);
    return result;
}

} // namespace qv::http
