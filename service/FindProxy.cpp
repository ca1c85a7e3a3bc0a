#include "service/FindProxy.h"

#include "framework/Conversions.h"
#include "platform/ProxyList.h"

namespace qv::service {

ProxySetting FindProxyIn(const std::string& list, const std::string& scheme) {
    ProxySetting setting;
    if (list.empty()) return setting;
    std::string entry = list;
    const std::string key = scheme + "=";
    if (const size_t at = entry.find(key); at != std::string::npos) {
        entry = entry.substr(at + key.size());
        if (const size_t end = entry.find(';'); end != std::string::npos) entry.resize(end);
    } else if (entry.find('=') != std::string::npos) {
        // A list of other schemes' entries has no proxy for this one; read as a host it would
        // send every request to a host named like "https=secure".
        return setting;
    }
    if (const size_t colon = entry.find(':'); colon != std::string::npos) {
        setting.port = framework::StrToIntDef(entry.substr(colon + 1), 0);
        setting.host = entry.substr(0, colon);
    }
    return setting;
}

ProxySetting FindProxy(const std::string& scheme) {
    return FindProxyIn(platform::QueryProxyList(), scheme);
}

} // namespace qv::service
