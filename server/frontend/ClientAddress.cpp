#include "server/frontend/ClientAddress.h"

#include "server/frontend/Ipv4Address.h"
#include "server/frontend/LocalPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>

namespace qv::server {

namespace {

// The bytes of an IPv6 address that name its network.
constexpr size_t kIpv6NetworkBytes = 8;

ClientAddress FromIpv4(const in_addr& address) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address, text, sizeof text);
    return {text, std::string(reinterpret_cast<const char*>(&address), sizeof address), text};
}

ClientAddress DescribeAddress(const sockaddr_storage& address) {
    if (const std::optional<in_addr> ipv4 = Ipv4AddressOf(address)) return FromIpv4(*ipv4);
    if (address.ss_family != AF_INET6) return {"?", "?", "?"};
    const in6_addr& ipv6 = reinterpret_cast<const sockaddr_in6&>(address).sin6_addr;
    char text[INET6_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET6, &ipv6, text, sizeof text);
    return {text, std::string(reinterpret_cast<const char*>(ipv6.s6_addr), kIpv6NetworkBytes), text};
}

} // namespace

ClientAddress DescribeClient(int fd, const sockaddr_storage& address) {
    ClientAddress client = DescribeAddress(address);
    // Longer than any address key alone, so that the two kinds never meet.
    if (const std::optional<uid_t> owner = LocalPeerOwner(fd, address)) {
        const std::string user = " of local user " + std::to_string(*owner);
        client.capKey += user;
        client.loginKey += user;
    }
    return client;
}

bool ConnectionCap::TryOpen(const std::string& key) {
    if (max_ <= 0) return true;
    int& open = open_[key];
    if (open >= max_) return false;
    ++open;
    return true;
}

void ConnectionCap::Closed(const std::string& key) {
    if (max_ <= 0) return;
    const auto found = open_.find(key);
    if (found != open_.end() && --found->second <= 0) open_.erase(found);
}

} // namespace qv::server
