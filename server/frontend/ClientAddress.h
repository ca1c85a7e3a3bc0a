#pragma once

#include <string>
#include <sys/socket.h>
#include <unordered_map>

namespace qv::server {

// A client's address as the log and the login throttle name it, and the key its connections
// are counted under: the address itself, or for IPv6 its /64 network, which one host usually
// has all of.
struct ClientAddress {
    std::string text;
    std::string capKey;
};

ClientAddress DescribeClient(const sockaddr_storage& address);

// Open connections for each client key, up to a cap. Not thread-safe.
class ConnectionCap {
public:
    // 0: no cap.
    explicit ConnectionCap(int maxPerKey) : max_(maxPerKey) {}

    // Counts one more connection for the key; false, counting nothing, when it has its
    // share open already.
    bool TryOpen(const std::string& key);
    void Closed(const std::string& key);

private:
    int max_;
    std::unordered_map<std::string, int> open_;
};

} // namespace qv::server
