#include "server/import/XmlPrescan.h"

#include "framework/Format.h"

#include <algorithm>

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

std::string AtLine(std::string_view bytes, size_t at, const std::string& reason) {
    const auto line = std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1;
    return framework::Format("%s (line %lld)", reason.c_str(), static_cast<long long>(line));
}

} // namespace

std::optional<std::string> XmlPrescan::Refusal(std::string_view bytes) {
    if (StartsInAnotherEncoding(bytes)) return std::string("not UTF-8, the only encoding read");
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
