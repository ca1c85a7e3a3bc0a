#include "server/import/XmlPrescan.h"

#include "framework/Format.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <emmintrin.h>

namespace qv::server {

namespace {

constexpr std::string_view kXmlns = "xmlns";

// Sections whose bytes the parser reads as plain text up to their end mark.
struct Section {
    std::string_view start;
    std::string_view end;
};
constexpr Section kSections[] = {{"<!--", "-->"}, {"<?", "?>"}, {"<![CDATA[", "]]>"}};

// Byte order marks and the first bytes of "<?xml" in the encodings the parser would switch to.
bool StartsInAnotherEncoding(std::string_view bytes) {
    const std::string_view head = bytes.substr(0, 4);
    return head.find('\0') != std::string_view::npos || head.starts_with("\xFE\xFF") ||
           head.starts_with("\xFF\xFE") || head == "\x4C\x6F\xA7\x94";
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The name before the '=' at `equals`, blanks between them allowed. Stops at a blank, a quote or
// an '=', so that no byte of a tag is looked at again for more than one name.
std::string_view NameBefore(std::string_view bytes, size_t tag, size_t equals) {
    size_t end = equals;
    while (end > tag + 1 && IsBlank(bytes[end - 1]))
        --end;
    size_t begin = end;
    while (begin > tag + 1 && !IsBlank(bytes[begin - 1]) && bytes[begin - 1] != '"' &&
           bytes[begin - 1] != '\'' && bytes[begin - 1] != '=')
        --begin;
    return bytes.substr(begin, end - begin);
}

// Positions of the bytes equal to `c` in the 16 at `p`, one bit each.
uint32_t Mask(__m128i block, char c) {
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(c))));
}

// Every namespace declaration names "xmlns": a document that holds it no more often than
// declarations are allowed needs no closer count of them.
bool FewNamespaceNames(std::string_view bytes) {
    int count = 0;
    for (size_t at = bytes.find(kXmlns); at != std::string_view::npos; at = bytes.find(kXmlns, at + 1))
        if (++count > XmlPrescan::kMaxNamespaceDeclarations) return false;
    return true;
}

// A quick bound, sixteen bytes at a time: the '=' between two '<' bound the attributes of a tag,
// and each '=' after a name that starts with "xmlns" may declare a namespace. Counts '=' in
// texts, comments and values too, so that a document within it is within the limits, and one
// beyond it is looked at closely.
bool WithinBounds(std::string_view bytes) {
    const bool countNamespaces = !FewNamespaceNames(bytes);
    int run = 0;
    int namespaces = 0;
    size_t tag = 0;
    const auto events = [&](size_t base, uint32_t opens, uint32_t equals) {
        for (uint32_t all = opens | equals; all; all &= all - 1) {
            const int bit = std::countr_zero(all);
            const size_t at = base + static_cast<size_t>(bit);
            if (opens >> bit & 1) {
                run = 0;
                tag = at;
            } else if (++run > XmlPrescan::kMaxAttributes ||
                       (countNamespaces && NameBefore(bytes, tag, at).starts_with(kXmlns) &&
                        ++namespaces > XmlPrescan::kMaxNamespaceDeclarations)) {
                return false;
            }
        }
        return true;
    };
    size_t i = 0;
    for (; i + 16 <= bytes.size(); i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
        const uint32_t equals = Mask(block, '=');
        const uint32_t opens = Mask(block, '<');
        if ((equals | opens) && !events(i, opens, equals)) return false;
    }
    for (; i < bytes.size(); ++i)
        if ((bytes[i] == '<' || bytes[i] == '=') &&
            !events(i, bytes[i] == '<' ? 1u : 0u, bytes[i] == '=' ? 1u : 0u))
            return false;
    return true;
}

std::string AtLine(std::string_view bytes, size_t at, const std::string& reason) {
    const auto line = std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1;
    return framework::Format("%s (line %lld)", reason.c_str(), static_cast<long long>(line));
}

} // namespace

std::optional<std::string> XmlPrescan::Refusal(std::string_view bytes) {
    if (StartsInAnotherEncoding(bytes)) return std::string("not UTF-8, the only encoding read");
    if (WithinBounds(bytes)) return std::nullopt;
    return Exact(bytes);
}

std::optional<std::string> XmlPrescan::Exact(std::string_view bytes) {
    int namespaces = 0;
    size_t i = 0;
    while ((i = bytes.find('<', i)) != std::string_view::npos) {
        const std::string_view rest = bytes.substr(i);
        const auto section = std::find_if(std::begin(kSections), std::end(kSections),
                                          [&](const Section& s) { return rest.starts_with(s.start); });
        if (section != std::end(kSections)) {
            const size_t end = bytes.find(section->end, i + section->start.size());
            if (end == std::string_view::npos) break;
            i = end + section->end.size();
            continue;
        }
        // A tag, up to its '>': attribute values are skipped whole, as they may hold '>'.
        const size_t tag = i++;
        int attributes = 0;
        for (; i < bytes.size() && bytes[i] != '>' && bytes[i] != '<'; ++i) {
            const char c = bytes[i];
            if (c == '"' || c == '\'') {
                i = bytes.find(c, i + 1);
                if (i == std::string_view::npos) return std::nullopt;
            } else if (c == '=') {
                if (++attributes > kMaxAttributes)
                    return AtLine(
                        bytes, tag,
                        framework::Format("a start tag with more than %d attributes", kMaxAttributes));
                if (NameBefore(bytes, tag, i).starts_with(kXmlns) && ++namespaces > kMaxNamespaceDeclarations)
                    return AtLine(
                        bytes, i,
                        framework::Format("more than %d namespace declarations", kMaxNamespaceDeclarations));
            }
        }
    }
    return std::nullopt;
}

} // namespace qv::server
