#include "server/frontend/Ipv4Address.h"

#include <cstring>

namespace qv::server {

std::optional<in_addr> Ipv4AddressOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) return reinterpret_cast<const sockaddr_in&>(address).sin_addr;
    if (address.ss_family != AF_INET6) return std::nullopt;
    const in6_addr& ipv6 = reinterpret_cast<const sockaddr_in6&>(address).sin6_addr;
    if (!IN6_IS_ADDR_V4MAPPED(&ipv6)) return std::nullopt;
    in_addr ipv4{};
    std::memcpy(&ipv4, ipv6.s6_addr + 12, sizeof ipv4);
    return ipv4;
}

} // namespace qv::server
