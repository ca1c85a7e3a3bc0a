#include "server/frontend/Transport.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::server {

Transport::~Transport() {
    ::close(fd_);
}

IoResult PlainTransport::Read(char* data, size_t size) {
    for (;;) {
        const ssize_t n = ::recv(Fd(), data, size, 0);
        if (n > 0) return {IoStatus::Done, static_cast<size_t>(n)};
        if (n == 0) return {IoStatus::Closed, 0};
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return {IoStatus::WantRead, 0};
        error_ = errno;
        return {IoStatus::Failed, 0};
    }
}

IoResult PlainTransport::Write(const char* data, size_t size) {
    for (;;) {
        const ssize_t n = ::send(Fd(), data, size, MSG_NOSIGNAL);
        if (n >= 0) return {IoStatus::Done, static_cast<size_t>(n)};
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return {IoStatus::WantWrite, 0};
        error_ = errno;
        return {IoStatus::Failed, 0};
    }
}

void PlainTransport::FinishSending() {
    ::shutdown(Fd(), SHUT_WR);
}

std::string PlainTransport::FailureReason() const {
    return std::strerror(error_);
}

} // namespace qv::server
