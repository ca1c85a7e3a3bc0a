#pragma once

#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>

namespace qv::server {

// The IPv4 address of an IPv4 end, or of an IPv6 end that maps one: an IPv6 listener sees its
// IPv4 clients in that form. None for any other end.
std::optional<in_addr> Ipv4AddressOf(const sockaddr_storage& address);

} // namespace qv::server
