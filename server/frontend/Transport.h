#pragma once

#include <cstddef>
#include <string>

namespace qv::server {

// How far a non-blocking step on a connection went.
enum class IoStatus {
    Done,      // `bytes` moved (or the handshake completed)
    WantRead,  // nothing to do until the socket is readable
    WantWrite, // nothing to do until the socket is writable
    Closed,    // the peer ended the stream
    Failed,    // the connection is broken; FailureReason says why
};

struct IoResult {
    IoStatus status = IoStatus::Failed;
    size_t bytes = 0;
};

// The byte stream of one accepted connection over a non-blocking socket, which it owns and
// closes: as it stands, or through TLS. Used by one thread at a time.
class Transport {
public:
    explicit Transport(int fd) : fd_(fd) {}
    virtual ~Transport();
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    int Fd() const { return fd_; }
    // Completes whatever must happen before the first byte of the stream.
    virtual IoResult Handshake() = 0;
    virtual IoResult Read(char* data, size_t size) = 0;
    virtual IoResult Write(const char* data, size_t size) = 0;
    // Ends the sending direction, so that the peer sees the end of the stream after what it
    // was sent; reading goes on.
    virtual void FinishSending() = 0;
    // Why the last step failed, in a few words.
    virtual std::string FailureReason() const = 0;

private:
    int fd_;
};

// A connection as TCP carries it.
class PlainTransport : public Transport {
public:
    using Transport::Transport;

    IoResult Handshake() override { return {IoStatus::Done, 0}; }
    IoResult Read(char* data, size_t size) override;
    IoResult Write(const char* data, size_t size) override;
    void FinishSending() override;
    std::string FailureReason() const override;

private:
    int error_ = 0;
};

} // namespace qv::server
