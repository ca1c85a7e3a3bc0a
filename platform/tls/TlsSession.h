#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace qv::platform {

// A TLS connection that failed; the message names the peer and the reason. A failure of the
// socket itself carries its errno in SystemError().
class TTlsError : public std::runtime_error {
public:
    explicit TTlsError(const std::string& message, int systemError = 0)
        : std::runtime_error(message), systemError_(systemError) {}
    int SystemError() const noexcept { return systemError_; }

private:
    int systemError_;
};

// The peer ended the TCP stream without ending TLS first: what came before may be cut short.
class TTlsStreamCut : public TTlsError {
public:
    using TTlsError::TTlsError;
};

// A deadline that passed while the session waited for the peer.
class TTlsTimeout : public TTlsError {
public:
    using TTlsError::TTlsError;
};

// No limit when empty.
using TTlsDeadline = std::optional<std::chrono::steady_clock::time_point>;

// The deadline `milliseconds` from now; 0 or below: none.
TTlsDeadline TlsDeadlineIn(int milliseconds);

// The client side of TLS 1.2 or 1.3 over a connected stream socket that the caller keeps
// owning and closes itself. The socket's own blocking mode is left alone: the session reads
// and writes it without blocking and waits with poll(), so that every wait has the deadline
// it is given. Nothing of the caller's reaches the peer before the handshake has succeeded.
class TTlsSession {
public:
    enum class TCheck {
        // The certificate chain is verified against the system's trust store (or the file that
        // SSL_CERT_FILE names) and must name the host, or carry the address when the host is one.
        Peer,
        // Encrypted without trusting the peer: for servers that are only ever reached this way
        // in the open (mail exchangers).
        None
    };

    // `host` is the name sent as SNI and checked against the certificate.
    TTlsSession(int fd, std::string host, TCheck check);
    ~TTlsSession();
    TTlsSession(const TTlsSession&) = delete;
    TTlsSession& operator=(const TTlsSession&) = delete;

    void Handshake(TTlsDeadline deadline);
    // Waits until Receive can answer without waiting: decrypted bytes, or the end of the stream.
    // False at the deadline. A broken or cut stream raises.
    bool WaitReadable(TTlsDeadline deadline);
    // Up to `size` decrypted bytes; 0 when the peer has ended TLS in order.
    size_t Receive(void* buffer, size_t size, TTlsDeadline deadline);
    // All `count` bytes, or an exception.
    void Send(const void* bytes, size_t count, TTlsDeadline deadline);

private:
    struct TState;
    std::unique_ptr<TState> state_;
};

} // namespace qv::platform
