#pragma once

#include "http/IdIntercept.h"
#include "http/IdStack.h"

#include <memory>
#include <string>

namespace qv::platform {
class TTlsSession;
}

namespace qv::http {

// The TLS engine of a connection: once the connection stands (and a proxy tunnel is open), it
// runs the handshake, and from then on every byte received or sent goes through TLS. The
// server's certificate must verify against the system's trust store and name HostName;
// nothing of the connection's own is sent before the handshake has succeeded.
class TIdSSLConnectionIntercept : public TIdConnectionIntercept {
public:
    explicit TIdSSLConnectionIntercept(framework::TComponent* owner = nullptr);
    ~TIdSSLConnectionIntercept() override;

    // The server's name (or address) that its certificate must carry, also sent to it as the
    // name asked for; empty: the address connected to.
    std::string HostName;
    // Milliseconds the handshake may take; 0 or below: no limit.
    int HandshakeTimeout = 0;

    void Attach(TIdSocketHandle* handle) override;
    void Detach() override;
    int ReceiveInstead(void* buffer, int size) override;
    int SendInstead(const void* bytes, int count, int timeout) override;
    bool WaitReadable(TIdSocketHandle& handle, int timeout) override;

private:
    platform::TTlsSession& Session();

    std::unique_ptr<platform::TTlsSession> session_;
    // The socket the session runs on, so that a session whose connection is gone is never used.
    TIdStackSocketHandle sessionSocket_ = Id_INVALID_SOCKET;
};

} // namespace qv::http
