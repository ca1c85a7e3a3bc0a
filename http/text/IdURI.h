#pragma once

#include <string>

namespace qv::http {

// Splits a URL into its parts. Backslashes count as slashes; the path always begins
// with "/" and the path followed by the document gives the request target back
// unchanged. There is no user-name part: it stays in host and port.
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

    const std::string& Document() const { return document_; }
    const std::string& Protocol() const { return protocol_; }
    const std::string& URI() const { return uri_; }
    const std::string& Port() const { return port_; }
    const std::string& Path() const { return path_; }
    const std::string& Host() const { return host_; }
    const std::string& Bookmark() const { return bookmark_; }

    void SetDocument(const std::string& value) { document_ = value; }
    void SetProtocol(const std::string& value) { protocol_ = value; }
    // Stores the URL with backslashes turned to slashes and splits it into the parts.
    void SetURI(const std::string& value);
    void SetPort(const std::string& value) { port_ = value; }
    void SetPath(const std::string& value) { path_ = value; }
    void SetHost(const std::string& value) { host_ = value; }
    void SetBookmark(const std::string& value) { bookmark_ = value; }

private:
    std::string document_;
    std::string protocol_;
    std::string uri_;
    std::string port_;
    std::string path_;
    std::string host_;
    std::string bookmark_;
};

} // namespace qv::http
