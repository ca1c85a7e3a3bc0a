#include "tests/support/LoopbackClient.h"

#include "tests/support/LoopbackListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace qv::test {

LoopbackClient::LoopbackClient(uint16_t port, const std::string& from)
    : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    const sockaddr_in server = LoopbackAddress(port);
    connected_ = fd_ >= 0 && ::inet_pton(AF_INET, from.c_str(), &local.sin_addr) == 1 &&
                 ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
                 ::connect(fd_, reinterpret_cast<const sockaddr*>(&server), sizeof server) == 0;
}

LoopbackClient::~LoopbackClient() {
    if (fd_ >= 0) ::close(fd_);
}

bool LoopbackClient::Send(std::string_view bytes) {
    return connected_ &&
           ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

void LoopbackClient::ShutdownWrite() {
    ::shutdown(fd_, SHUT_WR);
}

bool LoopbackClient::Receive(std::chrono::steady_clock::time_point deadline) {
    if (!connected_ || closed_) return false;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd readable{fd_, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) <= 0) return false;
    char chunk[16384];
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) {
        closed_ = true;
        return false;
    }
    buffer_.append(chunk, static_cast<size_t>(n));
    return true;
}

std::string LoopbackClient::ReadReply(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const size_t headEnd = buffer_.find("\r\n\r\n");
        if (headEnd != std::string::npos) {
            const size_t field = buffer_.find("Content-Length: ");
            const size_t length = field < headEnd ? std::stoul(buffer_.substr(field + 16)) : 0;
            if (buffer_.size() >= headEnd + 4 + length) {
                std::string reply = buffer_.substr(0, headEnd + 4 + length);
                buffer_.erase(0, reply.size());
                return reply;
            }
        }
        if (!Receive(deadline)) return {};
    }
}

std::string LoopbackClient::ReadUntilClosed(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (Receive(deadline)) {}
    return std::exchange(buffer_, {});
}

bool LoopbackClient::ClosedWithin(std::chrono::milliseconds limit) {
    ReadUntilClosed(limit);
    return closed_;
}

} // namespace qv::test
