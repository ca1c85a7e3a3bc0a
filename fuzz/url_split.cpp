// URL splitting: the parts of any text taken as a URL. The path always begins and ends with
// "/", the path followed by the document gives back what follows the host unchanged, the
// bookmark starts at a "#" after the last "/", and host and port make up the authority.
#include "fuzz/support/FuzzInput.h"
#include "http/text/IdURI.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const std::string url(reinterpret_cast<const char*>(data), size);
    std::string scheme, host, path, document, port, bookmark;
    http::SplitUrl(url, scheme, host, path, document, port, bookmark);

    std::string slashed = url;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    std::string rest = slashed;
    if (const size_t mark = slashed.find("://"); mark != std::string::npos) {
        fuzz::Require(scheme == slashed.substr(0, mark), "the scheme is the text before \"://\"");
        const std::string afterScheme = slashed.substr(mark + 3);
        const size_t slash = afterScheme.find('/');
        const std::string authority = afterScheme.substr(0, slash);
        fuzz::Require(authority == host || authority == host + ":" + port,
                      "host and port make up the authority");
        rest = slash == std::string::npos ? std::string() : afterScheme.substr(slash + 1);
    } else {
        fuzz::Require(scheme.empty() && host.empty() && port.empty(), "a URL without \"://\" has no host");
    }
    fuzz::Require(path.front() == '/' && path.back() == '/', "the path begins and ends with \"/\"");
    fuzz::Require(document.find('/') == std::string::npos && document.find('#') == std::string::npos,
                  "the document holds no \"/\" and no \"#\"");
    const size_t lastSlash = rest.rfind('/');
    const bool marked = rest.find('#', lastSlash == std::string::npos ? 0 : lastSlash) != std::string::npos;
    const std::string target = path + document + (marked ? "#" + bookmark : std::string());
    fuzz::Require(target == rest || target == "/" + rest, "the path and the document give the target back");
    return 0;
}
