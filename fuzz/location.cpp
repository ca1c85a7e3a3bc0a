// Location resolution: a reference read against the URL it came with, as RFC 3986 resolves it.
// The first line of the input is the current URL after "http://", the rest is the reference.
// The result carries no fragment, a merged path holds no "." or ".." segment and resolves to
// itself, and a reference without scheme or authority stays on the same server.
#include "fuzz/support/FuzzInput.h"
#include "http/text/IdURI.h"

#include <cctype>

namespace {

bool HasDotSegment(const std::string& url) {
    const std::string beforeQuery = url.substr(0, url.find('?'));
    const size_t authority = beforeQuery.find("://");
    const size_t pathStart = authority == std::string::npos ? 0 : beforeQuery.find('/', authority + 3);
    const std::string path = pathStart == std::string::npos ? std::string() : beforeQuery.substr(pathStart);
    for (size_t start = 0; start != std::string::npos;) {
        const size_t slash = path.find('/', start);
        const std::string segment = path.substr(start, slash == std::string::npos ? slash : slash - start);
        if (segment == "." || segment == "..") return true;
        start = slash == std::string::npos ? slash : slash + 1;
    }
    return false;
}

std::string Server(const std::string& url) {
    std::string scheme, host, path, document, port, bookmark;
    qv::http::SplitUrl(url, scheme, host, path, document, port, bookmark);
    return host + ":" + port;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const size_t newline = text.find('\n');
    const std::string authorityAndPath = text.substr(0, newline);
    const std::string base = "http://" + authorityAndPath;
    const std::string reference = newline == std::string::npos ? std::string() : text.substr(newline + 1);
    const std::string resolved = http::ResolveUrl(base, reference);

    fuzz::Require(resolved.find('#') == std::string::npos, "the result carries no fragment");
    // The reference names no server when it has neither a scheme nor "//" before its path.
    const size_t schemeEnd = reference.find_first_of(":/?#");
    bool scheme = schemeEnd != std::string::npos && schemeEnd > 0 && reference[schemeEnd] == ':' &&
                  std::isalpha(static_cast<unsigned char>(reference[0]));
    for (size_t i = 1; scheme && i < schemeEnd; ++i)
        scheme = std::isalnum(static_cast<unsigned char>(reference[i])) || reference[i] == '+' ||
                 reference[i] == '-' || reference[i] == '.';
    const bool relative = !scheme && reference.compare(0, 2, "//") != 0;

    // A reference with a path of its own has its dot segments removed, and then the result,
    // being absolute, resolves to itself; an empty or query-only one keeps the base's path. An
    // absolute reference without authority whose path comes to begin with "//" is the one
    // exception RFC 3986 leaves: written out, that path reads as an authority.
    const bool merged = !reference.empty() && reference.front() != '#' && reference.front() != '?';
    const bool pathReadsAsAuthority = scheme && reference.compare(schemeEnd + 1, 2, "//") != 0 &&
                                      resolved.compare(schemeEnd + 1, 2, "//") == 0;
    if (merged) {
        fuzz::Require(!HasDotSegment(resolved), "a resolved path holds no dot segment");
        if (!pathReadsAsAuthority)
            fuzz::Require(http::ResolveUrl("http://elsewhere/x/y", resolved) == resolved,
                          "an absolute result resolves to itself");
    }

    // Only where both readings of the base agree on its server: no "?", "#" or "\" before its path.
    const bool plainBase =
        authorityAndPath.substr(0, authorityAndPath.find('/')).find_first_of("?#\\") == std::string::npos;
    if (relative && plainBase)
        fuzz::Require(Server(resolved) == Server(base), "a relative reference stays on the server");
    return 0;
}
