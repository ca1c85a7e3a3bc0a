// Proxy lists from the environment. The input's lines are the values of http_proxy,
// https_proxy, ftp_proxy and all_proxy (the first byte chooses the upper-case names instead);
// the list text built from them must fit the system query, hold only clean host:port
// addresses, and give each scheme back its own proxy (or all_proxy's) when looked up.
#include "framework/Conversions.h"
#include "fuzz/support/FuzzInput.h"
#include "platform/ProxyList.h"
#include "service/FindProxy.h"

#include <cstdlib>

namespace {

struct Variable {
    const char* scheme;
    const char* lower;
    const char* upper;
};

constexpr Variable kVariables[] = {{"http", "http_proxy", "HTTP_PROXY"},
                                   {"https", "https_proxy", "HTTPS_PROXY"},
                                   {"ftp", "ftp_proxy", "FTP_PROXY"},
                                   {"all", "all_proxy", "ALL_PROXY"}};

bool Clean(const std::string& address) {
    for (char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte >= 0x7F || c == ';' || c == '=') return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const fuzz::FuzzInput input(data, size);
    const std::vector<std::string> values = input.Parts("\n");
    std::string addresses[4];
    for (size_t i = 0; i < 4; ++i) {
        unsetenv(kVariables[i].lower);
        unsetenv(kVariables[i].upper);
        if (i >= values.size()) continue;
        // The environment ends a value at its first NUL.
        const std::string value = values[i].substr(0, values[i].find('\0'));
        setenv(input.Option(i) ? kVariables[i].upper : kVariables[i].lower, value.c_str(), 1);
        if (!value.empty()) addresses[i] = platform::ProxyAddress(value);
        fuzz::Require(Clean(addresses[i]), "a proxy address holds no blank, control, \";\" or \"=\"");
    }

    const std::string list = platform::QueryProxyList();
    fuzz::Require(list.size() + 14 <= 4096, "the list fits the system query");
    if (list.empty()) return 0;
    for (size_t i = 0; i < 3; ++i) {
        const std::string& address = addresses[i].empty() ? addresses[3] : addresses[i];
        const service::ProxySetting setting = service::FindProxyIn(list, kVariables[i].scheme);
        const size_t colon = address.find(':');
        const std::string host = colon == std::string::npos ? std::string() : address.substr(0, colon);
        const int32_t port =
            colon == std::string::npos ? 0 : framework::StrToIntDef(address.substr(colon + 1), 0);
        fuzz::Require(setting.host == host && setting.port == port, "each scheme finds its own proxy");
    }
    return 0;
}
