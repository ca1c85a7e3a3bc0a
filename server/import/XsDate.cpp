#include "server/import/XsDate.h"

namespace qv::server {

namespace {

bool Digits(std::string_view text, size_t at, size_t count) {
    if (at + count > text.size()) return false;
    for (size_t i = at; i < at + count; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

int Number(std::string_view text, size_t at, size_t count) {
    int value = 0;
    for (size_t i = at; i < at + count; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

// "Z", "+hh:mm" or "-hh:mm"; empty for none.
bool IsZone(std::string_view zone) {
    return zone.empty() || zone == "Z" ||
           (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && Digits(zone, 1, 2) && zone[3] == ':' &&
            Digits(zone, 4, 2));
}

// `value` in `digits` decimal digits, zeros in front.
void AppendDigits(std::string& out, int value, int digits) {
    const size_t end = out.size() + static_cast<size_t>(digits);
    out.resize(end);
    for (size_t at = end; at > end - static_cast<size_t>(digits); value /= 10)
        out[--at] = static_cast<char>('0' + value % 10);
}

std::string ZoneText(std::string_view zone) {
    if (zone.empty()) return {};
    return zone == "Z" ? " (UTC)" : " (UTC" + std::string(zone) + ")";
}

} // namespace

std::optional<framework::DateParts> XsDate::Parse(std::string_view text) {
    if (!Digits(text, 0, 4) || text.size() < 10 || text[4] != '-' || !Digits(text, 5, 2) || text[7] != '-' ||
        !Digits(text, 8, 2) || !IsZone(text.substr(10)))
        return std::nullopt;
    const framework::DateParts parts{Number(text, 0, 4), Number(text, 5, 2), Number(text, 8, 2)};
    if (!framework::TryEncodeDate(parts.year, parts.month, parts.day)) return std::nullopt;
    return parts;
}

std::string XsDate::FormatDate(std::string_view text) {
    const auto date = Parse(text);
    if (!date) return std::string(text);
    // DD/MM/YYYY: the year has the four digits it was read from.
    std::string formatted;
    AppendDigits(formatted, date->day, 2);
    formatted += '/';
    AppendDigits(formatted, date->month, 2);
    formatted += '/';
    AppendDigits(formatted, date->year, 4);
    return formatted;
}

std::string XsDate::FormatTime(std::string_view text) {
    if (!Digits(text, 0, 2) || text.size() < 8 || text[2] != ':' || !Digits(text, 3, 2) || text[5] != ':' ||
        !Digits(text, 6, 2))
        return std::string(text);
    // Fractions of a second say nothing to a tenderer.
    size_t zone = 8;
    if (zone < text.size() && text[zone] == '.') {
        ++zone;
        while (zone < text.size() && text[zone] >= '0' && text[zone] <= '9')
            ++zone;
    }
    if (!IsZone(text.substr(zone))) return std::string(text);
    return std::string(text.substr(0, 5)) + ZoneText(text.substr(zone));
}

} // namespace qv::server
