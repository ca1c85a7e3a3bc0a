#include "tests/support/LoopbackListener.h"

#include <arpa/inet.h>
#include <cerrno>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace qv::test {

sockaddr_in LoopbackAddress(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

LoopbackListener::LoopbackListener(Kind kind, int backlog)
    : fd_(::socket(AF_INET, (kind == Kind::Stream ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC, 0)) {
    sockaddr_in address = LoopbackAddress(0);
    socklen_t length = sizeof address;
    // A port another test left in TIME_WAIT is no reason to fail.
    const int one = 1;
    if (fd_ < 0 || ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0 ||
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        (kind == Kind::Stream && ::listen(fd_, backlog) != 0) ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const int error = errno;
        if (fd_ >= 0) ::close(fd_);
        throw std::system_error(error, std::generic_category(), "cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
    ::close(fd_);
}

int LoopbackListener::Accept() const {
    return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
}

void LoopbackListener::Shutdown() const {
    ::shutdown(fd_, SHUT_RDWR);
}

} // namespace qv::test
