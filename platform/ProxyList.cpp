#include "platform/ProxyList.h"

#include <cctype>
#include <cstdlib>

namespace qv::platform {

namespace {

// The system query fills one buffer of 4096 bytes with the proxy record (access type and two
// 32-bit pointers), the list and an empty bypass list, each ended by a NUL.
constexpr size_t kQueryBuffer = 4096;
constexpr size_t kRecordBytes = 12;

std::string Variable(const char* lower, const char* upper) {
    for (const char* name : {lower, upper}) {
        const char* value = std::getenv(name);
        if (value && *value) return ProxyAddress(value);
    }
    return {};
}

bool IsSocksScheme(std::string scheme) {
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme.rfind("socks", 0) == 0;
}

} // namespace

std::string ProxyAddress(const std::string& value) {
    std::string address = value;
    if (const size_t scheme = address.find("://"); scheme != std::string::npos) {
        // A SOCKS server does not speak HTTP: taken for an HTTP proxy it would fail every request.
        if (IsSocksScheme(address.substr(0, scheme))) return {};
        address.erase(0, scheme + 3);
    }
    if (const size_t path = address.find('/'); path != std::string::npos) address.resize(path);
    // Credentials are not part of the system's proxy list.
    if (const size_t at = address.rfind('@'); at != std::string::npos) address.erase(0, at + 1);
    for (char c : address)
        if (static_cast<unsigned char>(c) <= ' ' || c == ';' || c == '=' ||
            static_cast<unsigned char>(c) >= 0x7F)
            return {};
    return address;
}

std::string QueryProxyList() {
    const std::string all = Variable("all_proxy", "ALL_PROXY");
    const std::pair<const char*, std::string> schemes[] = {{"http", Variable("http_proxy", "HTTP_PROXY")},
                                                           {"https", Variable("https_proxy", "HTTPS_PROXY")},
                                                           {"ftp", Variable("ftp_proxy", "FTP_PROXY")}};
    std::string list;
    bool anyScheme = false;
    for (const auto& [scheme, address] : schemes)
        anyScheme = anyScheme || !address.empty();
    if (!anyScheme) {
        list = all;
    } else {
        for (const auto& [scheme, address] : schemes) {
            const std::string& chosen = address.empty() ? all : address;
            if (chosen.empty()) continue;
            list += (list.empty() ? "" : ";") + std::string(scheme) + "=" + chosen;
        }
    }
    if (kRecordBytes + list.size() + 2 > kQueryBuffer) return {};
    return list;
}

} // namespace qv::platform
