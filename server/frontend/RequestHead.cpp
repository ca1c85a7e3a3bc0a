#include "server/frontend/RequestHead.h"

#include <algorithm>
#include <vector>

namespace qv::server {

namespace {

constexpr int kBadRequest = 400;
constexpr int kUriTooLong = 414;
constexpr int kHeadTooLarge = 431;
constexpr int kVersionNotSupported = 505;
// More digits than this overflow no counter and fit any real body length.
constexpr size_t kMaxLengthDigits = 18;

bool IsTokenChar(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return IsTokenChar(c); });
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The lines of a head, each without its line break; a line that holds a CR anywhere but at its
// end makes the whole head unreadable.
std::optional<std::vector<std::string_view>> SplitLines(std::string_view head) {
    std::vector<std::string_view> lines;
    while (!head.empty()) {
        const size_t end = head.find('\n');
        std::string_view line = head.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find('\r') != std::string_view::npos) return std::nullopt;
        if (!line.empty()) lines.push_back(line);
        if (end == std::string_view::npos) break;
        head.remove_prefix(end + 1);
    }
    return lines;
}

// Splits the target into the decoded path and the raw query; false for a target the service
// cannot read. A target in absolute form names the service's own address before the path.
bool ReadTarget(std::string_view target, RequestHead& request) {
    if (target.empty() || std::any_of(target.begin(), target.end(), [](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == 0x7F;
        }))
        return false;
    bool absolute = false;
    for (std::string_view scheme : {"http://", "https://"})
        if (StartsWithIgnoringCase(target, scheme)) {
            target.remove_prefix(scheme.size());
            target.remove_prefix(std::min(std::min(target.find('/'), target.find('?')), target.size()));
            absolute = true;
            break;
        }
    if (!absolute && target.front() != '/' && target != "*") return false;
    const size_t question = target.find('?');
    request.path = PercentDecode(target.substr(0, question), false);
    if (request.path.empty()) request.path = "/";
    if (question != std::string_view::npos) request.query = target.substr(question + 1);
    return true;
}

struct HeaderFacts {
    int hosts = 0;
    bool close = false;
    bool keepAlive = false;
    bool chunked = false;
    std::optional<std::string> contentLength;
};

bool ReadHeader(std::string_view line, HeaderFacts& facts) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || !IsToken(line.substr(0, colon))) return false;
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = TrimBlanks(line.substr(colon + 1));
    if (std::any_of(value.begin(), value.end(),
                    [](char c) { return (static_cast<unsigned char>(c) < ' ' && c != '\t') || c == 0x7F; }))
        return false;
    if (EqualsIgnoringCase(name, "host")) {
        ++facts.hosts;
    } else if (EqualsIgnoringCase(name, "connection")) {
        for (size_t start = 0; start <= value.size();) {
            const size_t comma = std::min(value.find(',', start), value.size());
            const std::string_view option = TrimBlanks(value.substr(start, comma - start));
            facts.close |= EqualsIgnoringCase(option, "close");
            facts.keepAlive |= EqualsIgnoringCase(option, "keep-alive");
            start = comma + 1;
        }
    } else if (EqualsIgnoringCase(name, "transfer-encoding")) {
        facts.chunked = true;
    } else if (EqualsIgnoringCase(name, "content-length")) {
        // Differing lengths are the stuff of request smuggling: such a head is refused.
        if (value.empty() || value.size() > kMaxLengthDigits ||
            !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
            (facts.contentLength && *facts.contentLength != value))
            return false;
        facts.contentLength = std::string(value);
    }
    return true;
}

HeadParse Refused(int status) {
    return {std::nullopt, status};
}

} // namespace

size_t FindHeadEnd(std::string_view bytes, size_t& from) {
    const size_t start = bytes.find_first_not_of("\r\n");
    if (start == std::string_view::npos) return 0;
    for (size_t at = std::max(from, start); (at = bytes.find('\n', at)) != std::string_view::npos; ++at) {
        // A line break at the very end may be the first half of the empty line: look again there.
        if (at + 1 == bytes.size() || (at + 2 == bytes.size() && bytes[at + 1] == '\r')) {
            from = at;
            return 0;
        }
        if (bytes[at + 1] == '\n') return at + 2;
        if (bytes[at + 1] == '\r' && bytes[at + 2] == '\n') return at + 3;
    }
    from = bytes.size();
    return 0;
}

HeadParse ParseRequestHead(std::string_view head) {
    const auto lines = SplitLines(head);
    if (!lines || lines->empty()) return Refused(kBadRequest);
    const std::string_view requestLine = lines->front();
    const size_t firstSpace = requestLine.find(' ');
    const size_t lastSpace = requestLine.rfind(' ');
    if (firstSpace == std::string_view::npos || firstSpace == lastSpace) return Refused(kBadRequest);
    const std::string_view version = requestLine.substr(lastSpace + 1);
    RequestHead request;
    request.method = requestLine.substr(0, firstSpace);
    if (!IsToken(request.method) ||
        !ReadTarget(requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1), request))
        return Refused(kBadRequest);
    if (version.size() != 8 || version.compare(0, 5, "HTTP/") != 0 || version[5] < '0' || version[5] > '9' ||
        version[6] != '.' || version[7] < '0' || version[7] > '9')
        return Refused(kBadRequest);
    if (version != "HTTP/1.1" && version != "HTTP/1.0") return Refused(kVersionNotSupported);
    const bool http11 = version == "HTTP/1.1";

    HeaderFacts facts;
    for (size_t i = 1; i < lines->size(); ++i) {
        // A continuation line (obsolete folding) is refused, as the protocol allows.
        if ((*lines)[i].front() == ' ' || (*lines)[i].front() == '\t') return Refused(kBadRequest);
        if (!ReadHeader((*lines)[i], facts)) return Refused(kBadRequest);
    }
    if (facts.hosts > 1 || (http11 && facts.hosts == 0) || (!http11 && facts.chunked))
        return Refused(kBadRequest);
    const bool hasBody = facts.chunked || (facts.contentLength &&
                                           facts.contentLength->find_first_not_of('0') != std::string::npos);
    request.keepAlive = !facts.close && !hasBody && (http11 || facts.keepAlive);
    return {std::move(request), 0};
}

int OversizedHeadStatus(std::string_view bytes) {
    const size_t start = bytes.find_first_not_of("\r\n");
    return start == std::string_view::npos || bytes.find('\n', start) == std::string_view::npos
               ? kUriTooLong
               : kHeadTooLarge;
}

std::string PercentDecode(std::string_view text, bool plusIsSpace) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += plusIsSpace && text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

std::multimap<std::string, std::string> DecodeQuery(std::string_view query) {
    std::multimap<std::string, std::string> params;
    while (!query.empty()) {
        const size_t end = query.find('&');
        const std::string_view pair = query.substr(0, end);
        if (!pair.empty()) {
            const size_t equals = pair.find('=');
            params.emplace(PercentDecode(pair.substr(0, equals), true),
                           equals == std::string_view::npos ? std::string()
                                                            : PercentDecode(pair.substr(equals + 1), true));
        }
        if (end == std::string_view::npos) break;
        query.remove_prefix(end + 1);
    }
    return params;
}

} // namespace qv::server
