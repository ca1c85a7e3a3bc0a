#pragma once

#include <string>
#include <sys/socket.h>
#include <unordered_map>

namespace qv::server {

// A client's address as the log names it, and the keys its connections and its failed logins
// are counted under. Connections count by the address, or for IPv6 by its /64 network, which
// one host usually has all of; failed logins by the address. For a client on this machine both
// keys also name its user: every local user shares the address, and none may use up another's
// share.
struct ClientAddress {
    std::string text;
    std::string capKey;
    std::string loginKey;
};

// The client of the accepted connection `fd` from `address`.
ClientAddress DescribeClient(int fd, const sockaddr_storage& address);

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
