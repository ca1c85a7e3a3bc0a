#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qv::bench {

// Loopback clients of the tender service, each request on a connection of its own, as the
// program sends them.
class ServiceClient {
public:
    // The body of a GET that must answer 200; raises std::runtime_error otherwise.
    static std::string Get(uint16_t port, const std::string& target);
    // Requests per second of `clients` threads that each send `perClient` requests; `target`
    // gives the request for a client and a sequence number. Raises when a reply is not "ok".
    static double Rate(uint16_t port, int clients, int perClient,
                       const std::function<std::string(int, int)>& target);
    // The same with the clients spread over several servers, client c asking ports[c % size].
    static double Rate(const std::vector<uint16_t>& ports, int clients, int perClient,
                       const std::function<std::string(int, int)>& target);
    // A browse request of the demo account.
    static std::string Browse(const std::string& keyword, const std::string& country, int page);
};

} // namespace qv::bench
