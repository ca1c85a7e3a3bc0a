#include "tests/support/Socks4aResponder.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::test {

namespace {
constexpr size_t kMaxName = 256;
constexpr int kIdleMs = 10000;

// Reads a NUL-terminated field of at most kMaxName bytes; the NUL is kept in `request`.
bool ReadField(ScriptedPeer& peer, std::string& request, std::string& field) {
    for (size_t i = 0; i <= kMaxName; ++i) {
        const std::string c = peer.ReadExactly(1);
        if (c.empty()) return false;
        request += c;
        if (c[0] == '\0') return true;
        field += c;
    }
    return false;
}

int ConnectTo(const std::string& host, uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return -1;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool ok = fd >= 0 && ::connect(fd, found->ai_addr, found->ai_addrlen) == 0;
    ::freeaddrinfo(found);
    if (!ok && fd >= 0) ::close(fd);
    return ok ? fd : -1;
}

// Copies bytes both ways; a side that ends its stream has that end passed on.
void Relay(int a, int b) {
    pollfd fds[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
    int open = 2;
    char buffer[16384];
    while (open > 0 && ::poll(fds, 2, kIdleMs) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t n = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
            const int other = i == 0 ? b : a;
            if (n <= 0) {
                ::shutdown(other, SHUT_WR);
                fds[i].fd = -1;
                --open;
                continue;
            }
            for (ssize_t sent = 0; sent < n;) {
                const ssize_t w = ::send(other, buffer + sent, static_cast<size_t>(n - sent), MSG_NOSIGNAL);
                if (w <= 0) return;
                sent += w;
            }
        }
    }
}
} // namespace

Socks4aResponder::Socks4aResponder(uint8_t replyCode)
    : replyCode_(replyCode), server_([this](ScriptedPeer& peer, int) { Serve(peer); }) {}

void Socks4aResponder::Serve(ScriptedPeer& client) {
    std::string request = client.ReadExactly(8);
    std::string userId;
    std::string host;
    if (request.size() < 8 || !ReadField(client, request, userId)) {
        server_.Record(request);
        return;
    }
    const auto byte = [&request](size_t i) { return static_cast<uint8_t>(request[i]); };
    const uint16_t port = static_cast<uint16_t>(byte(2) << 8 | byte(3));
    const bool named = byte(4) == 0 && byte(5) == 0 && byte(6) == 0 && byte(7) != 0;
    if (named && !ReadField(client, request, host)) {
        server_.Record(request);
        return;
    }
    if (!named)
        host = std::to_string(byte(4)) + "." + std::to_string(byte(5)) + "." + std::to_string(byte(6)) + "." +
               std::to_string(byte(7));
    server_.Record(request);

    const int target = replyCode_ == 90 ? ConnectTo(host, port) : -1;
    const uint8_t answer = replyCode_ == 90 && target < 0 ? 91 : replyCode_;
    client.Send(std::string{'\0', static_cast<char>(answer), request[2], request[3], '\0', '\0', '\0', '\0'});
    if (target < 0) return;
    Relay(client.Fd(), target);
    ::close(target);
}

} // namespace qv::test
