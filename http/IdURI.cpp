#include "http/IdURI.h"

#include "http/IdTextFunctions.h"

namespace qv::http {

void SplitUrl(const std::string& url, std::string& scheme, std::string& host, std::string& path,
              std::string& document, std::string& port, std::string& bookmark) {
    scheme.clear();
    host.clear();
    path.clear();
    document.clear();
    port.clear();
    bookmark.clear();

    std::string rest = url;
    ForwardSlashes(rest);
    if (const int pos = TextPos("://", rest); pos > 0) {
        scheme = rest.substr(0, static_cast<size_t>(pos - 1));
        rest.erase(0, static_cast<size_t>(pos - 1) + 3);
        std::string hostAndPort = SplitAt(rest, "/", true);
        host = SplitAt(hostAndPort, ":", true);
        port = hostAndPort;
    }

    if (const int pos = LastPos("/", rest); pos > 0) {
        path = rest.substr(0, static_cast<size_t>(pos));
        document = rest.substr(static_cast<size_t>(pos));
    } else {
        document = rest;
    }
    if (path.empty() || path.front() != '/') path = "/" + path;

    if (TextPos("#", document) > 0) {
        std::string beforeMark = SplitAt(document, "#", true);
        bookmark = document;
        document = beforeMark;
    }
}

TIdURI::TIdURI(const std::string& uri) {
    SetURI(uri);
}

void TIdURI::SetURI(const std::string& value) {
    uri_ = value;
    ForwardSlashes(uri_);
    SplitUrl(uri_, protocol_, host_, path_, document_, port_, bookmark_);
}

} // namespace qv::http
