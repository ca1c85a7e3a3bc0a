#include "http/text/IdURI.h"

#include "http/text/IdTextFunctions.h"

#include <limits>
#include <optional>
#include <string_view>

namespace qv::http {

bool TIdUrlOrigin::operator==(const TIdUrlOrigin& other) const {
    return port == other.port && AnsiSameText(scheme, other.scheme) && AnsiSameText(host, other.host);
}

TIdUrl TIdUrl::Split(const std::string& url) {
    std::string slashed = url;
    ForwardSlashes(slashed);
    std::string_view rest = slashed;
    TIdUrl parts;
    if (const size_t mark = rest.find("://"); mark != std::string_view::npos) {
        parts.scheme = rest.substr(0, mark);
        rest.remove_prefix(mark + 3);
        const size_t slash = rest.find('/');
        const std::string_view authority = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        const size_t colon = authority.find(':');
        parts.host = authority.substr(0, colon);
        if (colon != std::string_view::npos) parts.port = authority.substr(colon + 1);
    }
    const size_t lastSlash = rest.rfind('/');
    const std::string_view path =
        lastSlash == std::string_view::npos ? std::string_view() : rest.substr(0, lastSlash + 1);
    std::string_view document = lastSlash == std::string_view::npos ? rest : rest.substr(lastSlash + 1);
    if (path.empty() || path.front() != '/') parts.path = "/";
    parts.path += path;
    if (const size_t mark = document.find('#'); mark != std::string_view::npos) {
        parts.bookmark = document.substr(mark + 1);
        document = document.substr(0, mark);
    }
    parts.document = document;
    return parts;
}

int TIdUrl::PortNumber() const {
    return static_cast<int>(StrictDecimal(port, std::numeric_limits<int32_t>::max()).value_or(-1));
}

TIdUrlOrigin TIdUrl::Origin() const {
    const int number = PortNumber();
    return {scheme, host, number != -1 ? number : AnsiSameText(scheme, "HTTPS") ? kHttpsPort : kHttpPort};
}

void SplitUrl(const std::string& url, std::string& scheme, std::string& host, std::string& path,
              std::string& document, std::string& port, std::string& bookmark) {
    TIdUrl parts = TIdUrl::Split(url);
    scheme = std::move(parts.scheme);
    host = std::move(parts.host);
    path = std::move(parts.path);
    document = std::move(parts.document);
    port = std::move(parts.port);
    bookmark = std::move(parts.bookmark);
}

namespace {

// A URL reference in the five parts of RFC 3986; a part that is absent differs from an empty one.
struct UrlReference {
    std::optional<std::string> scheme;
    std::optional<std::string> authority;
    std::string path;
    std::optional<std::string> query;
};

bool IsSchemeChar(char c, bool first) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return letter || (!first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
}

UrlReference ParseReference(std::string text) {
    UrlReference parts;
    text = text.substr(0, text.find('#'));
    if (const size_t colon = text.find(':'); colon != std::string::npos && colon > 0) {
        bool scheme = true;
        for (size_t i = 0; i < colon && scheme; ++i)
            scheme = IsSchemeChar(text[i], i == 0);
        if (scheme) {
            parts.scheme = text.substr(0, colon);
            text.erase(0, colon + 1);
        }
    }
    if (text.compare(0, 2, "//") == 0) {
        const size_t end = text.find_first_of("/?", 2);
        parts.authority = text.substr(2, end == std::string::npos ? end : end - 2);
        text.erase(0, end == std::string::npos ? text.size() : end);
    }
    const size_t question = text.find('?');
    parts.path = text.substr(0, question);
    if (question != std::string::npos) parts.query = text.substr(question + 1);
    return parts;
}

// Removes "." and ".." segments from a path (RFC 3986, section 5.2.4).
std::string RemoveDotSegments(std::string input) {
    std::string output;
    while (!input.empty()) {
        if (input.compare(0, 3, "../") == 0) {
            input.erase(0, 3);
        } else if (input.compare(0, 2, "./") == 0 || input.compare(0, 3, "/./") == 0) {
            input.erase(0, 2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.compare(0, 4, "/../") == 0 || input == "/..") {
            input = "/" + input.substr(input.size() == 3 ? 3 : 4);
            const size_t last = output.rfind('/');
            output.erase(last == std::string::npos ? 0 : last);
        } else if (input == "." || input == "..") {
            input.clear();
        } else {
            const size_t next = input.find('/', 1);
            output += input.substr(0, next);
            input.erase(0, next == std::string::npos ? input.size() : next);
        }
    }
    return output;
}

} // namespace

std::string ResolveUrl(const std::string& base, const std::string& reference) {
    const UrlReference b = ParseReference(base);
    UrlReference r = ParseReference(reference);
    UrlReference target;
    if (r.scheme) {
        target = std::move(r);
        target.path = RemoveDotSegments(target.path);
    } else if (r.authority) {
        target = std::move(r);
        target.path = RemoveDotSegments(target.path);
        target.scheme = b.scheme;
    } else {
        if (r.path.empty()) {
            target.path = b.path;
            target.query = r.query ? r.query : b.query;
        } else {
            if (r.path.front() == '/')
                target.path = RemoveDotSegments(r.path);
            else if (b.authority && b.path.empty())
                target.path = RemoveDotSegments("/" + r.path);
            else
                target.path = RemoveDotSegments(b.path.substr(0, b.path.rfind('/') + 1) + r.path);
            target.query = r.query;
        }
        target.authority = b.authority;
        target.scheme = b.scheme;
    }
    // "http://h?q" means "http://h/?q", and only the second keeps the query out of the host for
    // SplitUrl, which ends the host at the first "/".
    if (target.authority && target.path.empty() && target.query) target.path = "/";
    std::string url;
    if (target.scheme) url += *target.scheme + ":";
    if (target.authority) url += "//" + *target.authority;
    url += target.path;
    if (target.query) url += "?" + *target.query;
    return url;
}

TIdURI::TIdURI(const std::string& uri) {
    SetURI(uri);
}

void TIdURI::SetURI(const std::string& value) {
    uri_ = value;
    ForwardSlashes(uri_);
    parts_ = TIdUrl::Split(uri_);
}

} // namespace qv::http
