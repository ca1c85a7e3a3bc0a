#pragma once

#include "tests/support/LoopbackListener.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace qv::test {
class TlsServerContext;
}

namespace qv::bench {

// A keep-alive HTTP/1.1 server on 127.0.0.1 for the benchmarks. A request whose target
// contains "large" gets the large body, any other the small one; a request body is read and
// dropped first. With `delayAcks` the
// server clears TCP_QUICKACK after every read, so that the kernel delays its ACKs the way
// a busy server on a real network does; loopback otherwise acknowledges at once and
// hides send patterns that wait for those ACKs. With a TLS context it serves https instead.
class LoopbackServer {
public:
    LoopbackServer(bool delayAcks, size_t smallSize, size_t largeSize,
                   const test::TlsServerContext* tls = nullptr);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t Port() const { return listener_.Port(); }

private:
    void AcceptLoop();
    // The connection's requests, read and answered through `receive` and `send`.
    void Serve(int fd, const std::function<ssize_t(char*, size_t)>& receive,
               const std::function<bool(const char*, size_t)>& send) const;
    bool SendBody(const std::function<bool(const char*, size_t)>& send, size_t size) const;

    bool delayAcks_;
    const test::TlsServerContext* tls_;
    size_t smallSize_;
    size_t largeSize_;
    std::string pattern_;
    test::LoopbackListener listener_;
    std::vector<std::thread> acceptors_;
    // Connections being served, so that stopping can end them when a client left one open.
    std::mutex mutex_;
    std::set<int> open_;
    bool stopping_ = false;
};

} // namespace qv::bench
