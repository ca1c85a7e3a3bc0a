#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv::test {

// A raw TCP client of a server on 127.0.0.1, for tests that need bytes on the wire as no real
// client sends them: from any loopback address, cut short, never read.
class LoopbackClient {
public:
    // Connects to 127.0.0.1:`port` from `from`, any address of 127.0.0.0/8.
    explicit LoopbackClient(uint16_t port, const std::string& from = "127.0.0.1");
    ~LoopbackClient();
    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;

    bool Connected() const { return connected_; }
    bool Send(std::string_view bytes);
    // No more bytes from this side; the server sees the end of the stream.
    void ShutdownWrite();
    // One whole reply (its head and a body of its Content-Length); empty when none arrived
    // complete within `limit` (or the server closed first).
    std::string ReadReply(std::chrono::milliseconds limit);
    // Everything up to the server's close (or a reset); what came by then when `limit` passes.
    std::string ReadUntilClosed(std::chrono::milliseconds limit);
    // Whether the server closed (or reset) the connection within `limit`; bytes it sent first
    // are dropped.
    bool ClosedWithin(std::chrono::milliseconds limit);

private:
    // Appends what arrives to the buffer; false on the close or when `deadline` has passed.
    bool Receive(std::chrono::steady_clock::time_point deadline);

    int fd_ = -1;
    bool connected_ = false;
    bool closed_ = false;
    std::string buffer_;
};

} // namespace qv::test
