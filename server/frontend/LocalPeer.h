#pragma once

#include <optional>
#include <sys/socket.h>
#include <sys/types.h>

namespace qv::server {

// The user whose socket is the other end of the accepted connection `fd` from `peer`, when that
// socket is on this machine; none for a client elsewhere or when the system does not tell.
std::optional<uid_t> LocalPeerOwner(int fd, const sockaddr_storage& peer);

} // namespace qv::server
