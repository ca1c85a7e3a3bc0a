#pragma once

#include "server/frontend/Transport.h"

#include <memory>
#include <string>

struct ssl_ctx_st;
struct ssl_st;

namespace qv::server {

// The service's side of TLS 1.2 and 1.3: a certificate chain and its private key, read once,
// from which every accepted connection gets its session.
class TlsContext {
public:
    // Both files in PEM; the certificate file may hold the chain after the certificate. Raises
    // std::runtime_error naming the file and the reason when either cannot be used.
    TlsContext(const std::string& certificateFile, const std::string& keyFile);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    // A connection over `fd` (which it then owns) whose handshake is still to come; nothing,
    // leaving `fd` to the caller, when OpenSSL has no memory for another session.
    std::unique_ptr<Transport> Accept(int fd) const;

private:
    ssl_ctx_st* context_;
};

// A connection through TLS, which ends with TLS's own farewell (close_notify) before the
// socket closes. Writing to a peer that has gone raises SIGPIPE, which the process must ignore.
class TlsTransport : public Transport {
public:
    TlsTransport(int fd, ssl_st* session);
    ~TlsTransport() override;

    IoResult Handshake() override;
    IoResult Read(char* data, size_t size) override;
    IoResult Write(const char* data, size_t size) override;
    void FinishSending() override;
    std::string FailureReason() const override { return failure_; }

private:
    IoResult Outcome(int result);
    void SendFarewell();

    ssl_st* session_;
    bool broken_ = false;
    bool farewellSent_ = false;
    std::string failure_;
};

} // namespace qv::server
