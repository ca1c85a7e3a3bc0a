#include "service/ServiceHost.h"

#include "framework/Conversions.h"

#include <cstdlib>
#include <cstring>

namespace qv::service {

namespace {

bool IsHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

} // namespace

std::string UsableServiceHost(const std::string& given) {
    std::string scheme;
    for (const char* prefix : {"https://", "http://"})
        if (framework::SameText(given.substr(0, std::strlen(prefix)), prefix)) scheme = prefix;
    const std::string value = given.substr(scheme.size());
    const size_t colon = value.find(':');
    const std::string host = value.substr(0, colon);
    if (host.empty() || host.size() > 253) return {};
    for (char c : host)
        if (!IsHostChar(c)) return {};
    if (colon != std::string::npos) {
        const std::string port = value.substr(colon + 1);
        if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
            return {};
        const int32_t number = framework::StrToInt(port);
        if (number < 1 || number > 65535) return {};
    }
    return scheme + value;
}

std::string ServiceScheme(const std::string& host) {
    return host.rfind("https://", 0) == 0 ? "https" : "http";
}

std::string ReadServiceHost() {
    const char* value = std::getenv("QUORVANE_SERVICE_HOST");
    const std::string usable = value ? UsableServiceHost(value) : std::string();
    return usable.empty() ? kServiceHost : usable;
}

} // namespace qv::service
