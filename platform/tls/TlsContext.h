#pragma once

#include <openssl/ssl.h>

#include <memory>
#include <string>

namespace qv::platform {

// The process's client context: TLS 1.2 and 1.3 only, renegotiation refused, trusting the
// system's store or the file and folder that SSL_CERT_FILE and SSL_CERT_DIR name. It is made
// anew when those variables change, and the kept sessions are dropped with the old one.
// Empty when OpenSSL cannot make one.
std::shared_ptr<SSL_CTX> TlsClientContext();

// Offers the peer the session kept from the last connection to it, so that a new connection
// skips the full handshake, and keeps the session this connection is given in its place.
// `peer` names the server as the connection reaches it; sessions made with and without a
// checked certificate are never mixed.
void TlsResumeSession(SSL* ssl, const std::string& peer, bool checked);

} // namespace qv::platform
