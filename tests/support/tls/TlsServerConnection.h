#pragma once

#include "tests/support/ScriptedServer.h"
#include "tests/support/tls/TestCertificates.h"

#include <openssl/ssl.h>

#include <cstddef>
#include <functional>
#include <string>

namespace qv::test {

// The server's side of TLS 1.2 and 1.3 with one certificate, for scripted peers and the
// benchmarks' server.
class TlsServerContext {
public:
    explicit TlsServerContext(const CertificateFiles& certificate);
    ~TlsServerContext();
    TlsServerContext(const TlsServerContext&) = delete;
    TlsServerContext& operator=(const TlsServerContext&) = delete;

    SSL_CTX* Get() const { return context_; }

private:
    SSL_CTX* context_;
};

// One accepted connection as a TLS server sees it, over a blocking socket that the caller keeps
// owning. The handshake runs at construction; Accepted() tells whether it succeeded.
class TlsServerConnection {
public:
    TlsServerConnection(const TlsServerContext& context, int fd);
    ~TlsServerConnection();
    TlsServerConnection(const TlsServerConnection&) = delete;
    TlsServerConnection& operator=(const TlsServerConnection&) = delete;

    bool Accepted() const { return accepted_; }

    // Up to `size` decrypted bytes; 0 or below when the client is gone.
    int Read(char* buffer, size_t size);
    // Decrypted bytes up to and including the terminator, or all until the client stops.
    std::string ReadUntil(const std::string& terminator);
    std::string ReadHead() { return ReadUntil("\r\n\r\n"); }
    // False when the client is gone.
    bool Send(const char* bytes, size_t size);
    bool Send(const std::string& bytes) { return Send(bytes.data(), bytes.size()); }
    // One TLS record for every `piece` bytes, so that the client meets the records' boundaries.
    void SendInRecords(const std::string& bytes, size_t piece);
    // Ends TLS in order (close_notify); closing the socket stays with the caller.
    void EndTls();

private:
    SSL* ssl_;
    bool accepted_ = false;
    std::string pending_;
};

using TlsServe = std::function<void(TlsServerConnection& tls, ScriptedPeer& peer)>;

// A ScriptedServer script that takes every connection through the TLS handshake with
// `certificate`, then hands those that got through to `serve`. `accepted`, when given, is
// called with the handshake's outcome for each connection.
ScriptedServer::Script TlsScript(const CertificateFiles& certificate, TlsServe serve,
                                 std::function<void(bool accepted)> accepted = {});

// A TLS server that answers the request head of each connection with `reply`, ends TLS and closes.
ScriptedServer::Script TlsReply(const CertificateFiles& certificate, std::string reply);

} // namespace qv::test
