#include "server/frontend/LocalPeer.h"

#include "server/frontend/Ipv4Address.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/time.h>
#include <unistd.h>

namespace qv::server {

namespace {

// The kernel answers a look-up of one socket at once; the deadline only guards against a
// system that never does.
constexpr timeval kAnswerWait{1, 0};

// The address in the form the client's own socket has: an IPv4 client of an IPv6 listener
// has an IPv4 socket.
struct SocketEnd {
    uint8_t family = AF_UNSPEC;
    uint16_t port = 0; // network order
    uint32_t address[4] = {};
};

SocketEnd EndOf(const sockaddr_storage& address) {
    SocketEnd end;
    if (address.ss_family == AF_INET) end.port = reinterpret_cast<const sockaddr_in&>(address).sin_port;
    if (address.ss_family == AF_INET6) end.port = reinterpret_cast<const sockaddr_in6&>(address).sin6_port;
    if (const std::optional<in_addr> ipv4 = Ipv4AddressOf(address)) {
        end.family = AF_INET;
        std::memcpy(end.address, &*ipv4, sizeof *ipv4);
    } else if (address.ss_family == AF_INET6) {
        end.family = AF_INET6;
        std::memcpy(end.address, reinterpret_cast<const sockaddr_in6&>(address).sin6_addr.s6_addr,
                    sizeof end.address);
    }
    return end;
}

bool IsLoopback(const SocketEnd& end) {
    if (end.family == AF_INET) return ntohl(end.address[0]) >> IN_CLASSA_NSHIFT == IN_LOOPBACKNET;
    in6_addr ipv6{};
    std::memcpy(&ipv6, end.address, sizeof ipv6);
    return IN6_IS_ADDR_LOOPBACK(&ipv6);
}

// A client on this machine comes from a loopback address, or from the machine's own address that
// it connected to: only such a client has its socket here to look up.
bool MayBeOnThisMachine(const SocketEnd& client, const SocketEnd& server) {
    return IsLoopback(client) || std::memcmp(client.address, server.address, sizeof client.address) == 0;
}

} // namespace

std::optional<uid_t> LocalPeerOwner(int fd, const sockaddr_storage& peer) {
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) return std::nullopt;
    const SocketEnd client = EndOf(peer);
    const SocketEnd server = EndOf(local);
    if (client.family == AF_UNSPEC || client.family != server.family) return std::nullopt;
    if (!MayBeOnThisMachine(client, server)) return std::nullopt;

    // The client's socket, seen from its side: its own address is the source.
    struct {
        nlmsghdr header;
        inet_diag_req_v2 request;
    } query{};
    query.header.nlmsg_len = sizeof query;
    query.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    query.header.nlmsg_flags = NLM_F_REQUEST;
    query.request.sdiag_family = client.family;
    query.request.sdiag_protocol = IPPROTO_TCP;
    query.request.idiag_states = ~0u;
    query.request.id.idiag_sport = client.port;
    query.request.id.idiag_dport = server.port;
    std::memcpy(query.request.id.idiag_src, client.address, sizeof client.address);
    std::memcpy(query.request.id.idiag_dst, server.address, sizeof server.address);
    query.request.id.idiag_cookie[0] = query.request.id.idiag_cookie[1] = INET_DIAG_NOCOOKIE;

    const int diag = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (diag < 0) return std::nullopt;
    ::setsockopt(diag, SOL_SOCKET, SO_RCVTIMEO, &kAnswerWait, sizeof kAnswerWait);
    std::optional<uid_t> owner;
    alignas(nlmsghdr) char answer[1024];
    ssize_t got = -1;
    if (::send(diag, &query, sizeof query, 0) == static_cast<ssize_t>(sizeof query))
        while ((got = ::recv(diag, answer, sizeof answer, 0)) < 0 && errno == EINTR) {}
    const auto* header = reinterpret_cast<const nlmsghdr*>(answer);
    if (got > 0 && NLMSG_OK(header, static_cast<unsigned>(got)) &&
        header->nlmsg_type == SOCK_DIAG_BY_FAMILY &&
        header->nlmsg_len >= NLMSG_LENGTH(sizeof(inet_diag_msg))) {
        const auto* found = reinterpret_cast<const inet_diag_msg*>(answer + NLMSG_HDRLEN);
        // The kernel falls back to a listening socket on the client's port: only the very
        // connection counts.
        if (std::memcmp(&found->id, &query.request.id, offsetof(inet_diag_sockid, idiag_if)) == 0)
            owner = found->idiag_uid;
    }
    ::close(diag);
    return owner;
}

} // namespace qv::server
