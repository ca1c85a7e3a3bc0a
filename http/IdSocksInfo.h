#pragma once

#include "framework/Component.h"

#include <string>

namespace qv::http {

class TIdTCPConnection;

enum TSocksAuthentication { saNoAuthentication, saUsernamePassword };
enum TSocksVersion { svNoSocks, svSocks4, svSocks4A, svSocks5 };

// Where and how to reach a SOCKS server, and the client side of its handshake.
class TSocksInfo : public framework::TPersistent {
public:
    TSocksAuthentication Authentication = saNoAuthentication;
    std::string Host;
    std::string Password;
    int Port = 0;
    std::string UserID;
    TSocksVersion Version = svNoSocks;

    // Asks the SOCKS server, already connected over `connection`, to connect on to host:port.
    void MakeConnection(TIdTCPConnection& connection, const std::string& host, int port) const;

private:
    void MakeSocks4Connection(TIdTCPConnection& connection, const std::string& host, int port) const;
    void MakeSocks5Connection(TIdTCPConnection& connection, const std::string& host, int port) const;
};

} // namespace qv::http
