#include "server/Cp1252.h"

#include "framework/Cp1252.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace qv::server {

namespace {

// The plain Latin letters of Latin Extended-A (U+0100 to U+017F), by code point; the few of
// them that the code page holds are found there first.
constexpr std::string_view kLatinExtendedA = "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIi"
                                             "IiIiJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSs"
                                             "SsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";

// Letters and marks the code page lacks, written the way a plain Latin keyboard would.
std::string_view Transliteration(char32_t codePoint) {
    if (codePoint == 0x132) return "IJ";
    if (codePoint == 0x133) return "ij";
    if (codePoint >= 0x100 && codePoint < 0x180) return kLatinExtendedA.substr(codePoint - 0x100, 1);
    switch (codePoint) {
    case 0x218:
        return "S"; // Romanian letters with a comma below
    case 0x219:
        return "s";
    case 0x21A:
        return "T";
    case 0x21B:
        return "t";
    case 0x2010: // hyphen and non-breaking hyphen
    case 0x2011:
        return "-";
    case 0x2009: // thin and narrow no-break spaces of French typography
    case 0x202F:
        return " ";
    default:
        return "?";
    }
}

// The byte of the code page that holds the character, if any.
std::optional<char> ByteOf(char32_t codePoint) {
    const char byte = framework::Cp1252Byte(codePoint);
    if (byte == '?' && codePoint != U'?') return std::nullopt;
    return byte;
}

size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead < 0xE0) return 2;
    if (lead >= 0xE0 && lead < 0xF0) return 3;
    if (lead >= 0xF0 && lead < 0xF5) return 4;
    return 0;
}

// Appends the bytes from `i` up to the next one that is not ASCII, and gives its position.
size_t AppendAscii(std::string& out, std::string_view utf8, size_t i) {
    size_t end = i;
    while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) < 0x80)
        ++end;
    out.append(utf8, i, end - i);
    return end;
}

} // namespace

std::string Utf8WithPlainLatin(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while ((i = AppendAscii(out, utf8, i)) < utf8.size()) {
        const size_t length = SequenceLength(static_cast<unsigned char>(utf8[i]));
        // The letters with a plain form all take two bytes; everything else is copied as it stands.
        if (length == 2 && i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            const char32_t cp = (static_cast<char32_t>(utf8[i] & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
            const std::string_view plain = ByteOf(cp) ? std::string_view() : Transliteration(cp);
            if (!plain.empty() && plain != "?") {
                out += plain;
                i += 2;
                continue;
            }
        }
        out += utf8[i++];
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while ((i = AppendAscii(out, utf8, i)) < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = SequenceLength(lead);
        if (length <= 1) {
            out += length == 1 ? static_cast<char>(lead) : '?';
            ++i;
            continue;
        }
        char32_t cp = lead & (0x7F >> length);
        size_t n = 1;
        for (; n < length && i + n < utf8.size(); ++n) {
            const auto next = static_cast<unsigned char>(utf8[i + n]);
            if ((next & 0xC0) != 0x80) break;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (n < length)
            out += '?';
        else if (const auto byte = ByteOf(cp))
            out += *byte;
        else
            out += Transliteration(cp);
        i += n;
    }
    return out;
}

} // namespace qv::server
