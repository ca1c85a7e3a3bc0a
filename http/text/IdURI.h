#pragma once

#include <string>

namespace qv::http {

// The ports a URL of each scheme leads to when it names none.
inline constexpr int kHttpPort = 80;
inline constexpr int kHttpsPort = 443;

// Where a URL leads: scheme, host and port, the port being the scheme's default when the URL
// names none. Scheme and host compare without regard to case.
struct TIdUrlOrigin {
    std::string scheme;
    std::string host;
    int port = 0;

    bool operator==(const TIdUrlOrigin& other) const;
};

// A URL split into its parts, once. Backslashes count as slashes; the path always begins with
// "/" and the path followed by the document gives the request target back unchanged; the
// bookmark is what follows the document's first "#". There is no user-name part: it stays in
// host and port.
struct TIdUrl {
    std::string scheme;
    std::string host;
    // As written; empty when the URL names none.
    std::string port;
    std::string path;
    std::string document;
    std::string bookmark;

    static TIdUrl Split(const std::string& url);
    // The port as a number; -1 when the URL names none or it is not a decimal number.
    int PortNumber() const;
    std::string Target() const { return path + document; }
    TIdUrlOrigin Origin() const;
};

// TIdUrl::Split, part by part.
void SplitUrl(const std::string& url, std::string& scheme, std::string& host, std::string& path,
              std::string& document, std::string& port, std::string& bookmark);

// The target of a reference (a Location value, for instance) read against the URL it came
// with, as RFC 3986 resolves references: "next.php", "../x", "/x", "//host/x", "?q" and absolute
// URLs alike; "." and ".." segments are removed. The fragment is left out: it is never sent.
std::string ResolveUrl(const std::string& base, const std::string& reference);

// One URL and its parts as SplitUrl gives them.
class TIdURI {
public:
    TIdURI() = default;
    explicit TIdURI(const std::string& uri);

    const std::string& Document() const { return parts_.document; }
    const std::string& Protocol() const { return parts_.scheme; }
    const std::string& URI() const { return uri_; }
    const std::string& Port() const { return parts_.port; }
    const std::string& Path() const { return parts_.path; }
    const std::string& Host() const { return parts_.host; }
    const std::string& Bookmark() const { return parts_.bookmark; }

    void SetDocument(const std::string& value) { parts_.document = value; }
    void SetProtocol(const std::string& value) { parts_.scheme = value; }
    // Stores the URL with backslashes turned to slashes and splits it into the parts.
    void SetURI(const std::string& value);
    void SetPort(const std::string& value) { parts_.port = value; }
    void SetPath(const std::string& value) { parts_.path = value; }
    void SetHost(const std::string& value) { parts_.host = value; }
    void SetBookmark(const std::string& value) { parts_.bookmark = value; }

private:
    std::string uri_;
    TIdUrl parts_;
};

} // namespace qv::http
