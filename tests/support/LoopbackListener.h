#pragma once

#include <netinet/in.h>

#include <cstdint>

namespace qv::test {

// 127.0.0.1 at the port, for connect and sendto.
sockaddr_in LoopbackAddress(uint16_t port);

// A socket of the test's own on 127.0.0.1, on a port the system picks: listening for connections,
// or bound for datagrams. Closed when the object goes.
class LoopbackListener {
public:
    enum class Kind { Stream, Datagram };
    // Connections a stream listener queues before they are accepted.
    static constexpr int kBacklog = 16;

    // Raises std::runtime_error when the socket cannot be bound or listen.
    explicit LoopbackListener(Kind kind = Kind::Stream, int backlog = kBacklog);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    int Fd() const { return fd_; }
    uint16_t Port() const { return port_; }
    // The next connection (close-on-exec); -1 once Shutdown has run or on a failure.
    int Accept() const;
    // Wakes the threads waiting in Accept, which fail from then on.
    void Shutdown() const;

private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

} // namespace qv::test
