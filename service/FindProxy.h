#pragma once

#include <cstdint>
#include <string>

namespace qv::service {

struct ProxySetting {
    // Empty when no proxy applies.
    std::string host;
    // 0 when there is none or it does not read as a number.
    int32_t port = 0;
};

// The proxy for `scheme` from a list text in the WinInet form: a single host:port pair for
// every scheme, or scheme=host:port entries separated by ";". The key search is
// case-sensitive and takes the first match; a list of entries without one for `scheme`, or
// an entry without a ":", means no proxy.
ProxySetting FindProxyIn(const std::string& list, const std::string& scheme);
// The same on the system's proxy list (QueryProxyList).
ProxySetting FindProxy(const std::string& scheme);

} // namespace qv::service
