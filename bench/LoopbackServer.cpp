#include "bench/LoopbackServer.h"

#include "tests/support/tls/TlsServerConnection.h"

#include <algorithm>
#include <cstdlib>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::bench {

namespace {
constexpr size_t kMaxHead = 65536;
constexpr size_t kPatternSize = 1 << 20;
// Clients run one after another, so two acceptors keep one ready while the other serves.
constexpr int kAcceptors = 2;
// Connections the kernel queues before an acceptor takes them.
constexpr int kBacklog = 128;

// The request body's length that the head announces; 0 when it announces none.
size_t ContentLength(const std::string& head) {
    const std::string name = "\r\nContent-Length: ";
    const size_t at = head.find(name);
    return at == std::string::npos ? 0 : std::strtoull(head.c_str() + at + name.size(), nullptr, 10);
}

bool SendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}
} // namespace

LoopbackServer::LoopbackServer(bool delayAcks, size_t smallSize, size_t largeSize,
                               const test::TlsServerContext* tls)
    : delayAcks_(delayAcks), tls_(tls), smallSize_(smallSize), largeSize_(largeSize),
      listener_(test::LoopbackListener::Kind::Stream, kBacklog) {
    pattern_.reserve(kPatternSize);
    while (pattern_.size() < kPatternSize)
        pattern_ += "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-_\r\n";
    pattern_.resize(kPatternSize);

    for (int i = 0; i < kAcceptors; ++i)
        acceptors_.emplace_back([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (int fd : open_)
            ::shutdown(fd, SHUT_RDWR);
    }
    // Wakes the blocked accept calls; they fail from now on and the threads end.
    listener_.Shutdown();
    for (auto& t : acceptors_)
        t.join();
}

void LoopbackServer::AcceptLoop() {
    for (;;) {
        const int fd = listener_.Accept();
        if (fd < 0) return;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) ::shutdown(fd, SHUT_RDWR);
            open_.insert(fd);
        }
        if (tls_) {
            // As web servers do on TLS connections: the session tickets written after the
            // handshake would otherwise hold the first reply back until the client's delayed ACK.
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            test::TlsServerConnection connection(*tls_, fd);
            if (connection.Accepted())
                Serve(
                    fd, [&](char* buffer, size_t size) { return connection.Read(buffer, size); },
                    [&](const char* data, size_t size) { return connection.Send(data, size); });
        } else {
            Serve(
                fd, [fd](char* buffer, size_t size) { return ::recv(fd, buffer, size, 0); },
                [fd](const char* data, size_t size) { return SendAll(fd, data, size); });
        }
        {
            std::lock_guard lock(mutex_);
            open_.erase(fd);
        }
        ::close(fd);
    }
}

void LoopbackServer::Serve(int fd, const std::function<ssize_t(char*, size_t)>& receive,
                           const std::function<bool(const char*, size_t)>& send) const {
    int zero = 0;
    std::string pending;
    char buffer[16384];
    const auto receiveSome = [&](size_t most) {
        const ssize_t n = receive(buffer, std::min(most, sizeof buffer));
        if (delayAcks_) ::setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &zero, sizeof zero);
        return n;
    };
    for (;;) {
        size_t end;
        while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
            if (pending.size() > kMaxHead) return;
            const ssize_t n = receiveSome(sizeof buffer);
            if (n <= 0) return;
            pending.append(buffer, static_cast<size_t>(n));
        }
        const std::string head = pending.substr(0, end + 4);
        pending.erase(0, end + 4);
        // A request body is read and dropped before the reply, as a server that takes uploads does.
        size_t bodyLeft = ContentLength(head);
        const size_t buffered = std::min(bodyLeft, pending.size());
        pending.erase(0, buffered);
        for (bodyLeft -= buffered; bodyLeft > 0;) {
            const ssize_t n = receiveSome(bodyLeft);
            if (n <= 0) return;
            bodyLeft -= static_cast<size_t>(n);
        }
        const std::string requestLine = head.substr(0, head.find("\r\n"));
        if (!SendBody(send, requestLine.find("large") != std::string::npos ? largeSize_ : smallSize_)) return;
    }
}

bool LoopbackServer::SendBody(const std::function<bool(const char*, size_t)>& send, size_t size) const {
    std::string head =
        "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
    const size_t first = std::min(size, pattern_.size());
    head.append(pattern_, 0, first);
    if (!send(head.data(), head.size())) return false;
    for (size_t sent = first; sent < size;) {
        const size_t n = std::min(size - sent, pattern_.size());
        if (!send(pattern_.data(), n)) return false;
        sent += n;
    }
    return true;
}

} // namespace qv::bench
