#pragma once

#include <chrono>

namespace qv::server {

// Enough for an office behind one address whose people all ask at the same moment; the
// program holds one connection at a time.
constexpr int kDefaultMaxConnectionsPerAddress = 32;

// What the front end allows each client, so that slow or idle clients cannot take the service
// from others. The service's options set it, so it lies beside them, below the front end.
struct FrontEndLimits {
    // Threads that answer requests; a connection holds one only while its request is answered.
    int workers = 8;
    // Open connections from one client address (for IPv6, one /64 network); 0 for no cap.
    int maxConnectionsPerAddress = kDefaultMaxConnectionsPerAddress;
    // From the start of a connection, or the first byte of a kept-alive connection's next
    // request, to the end of the request head; a TLS handshake counts in.
    std::chrono::milliseconds headTimeout{10000};
    // How long a kept-alive connection may wait for its next request.
    std::chrono::milliseconds idleTimeout{5000};
    // How long a reply may wait for the client to take more of it.
    std::chrono::milliseconds sendTimeout{20000};
    // How long what a client still sends after its last reply is read and dropped, so that the
    // reply is not cut short by a reset.
    std::chrono::milliseconds lingerTimeout{2000};
};

} // namespace qv::server
