#pragma once

#include "http/IdSocksInfo.h"
#include "http/IdTCPConnection.h"

#include <string>

namespace qv::http {

// A TCP connection that opens itself: name resolution, local bind, the Nagle setting
// and an optional SOCKS 4, 4A or 5 handshake. Connecting has no time-out unless one is set.
class TIdTCPClient : public TIdTCPConnection {
public:
    explicit TIdTCPClient(framework::TComponent* owner = nullptr);

    // Local address to bind to; empty: any.
    std::string BoundIP;
    std::string Host;
    TNotifyEvent OnConnected;
    int Port = 0;
    bool UseNagle = true;
    // Milliseconds that opening the TCP connection may take before it fails with the socket
    // error 10060; 0 or below: as long as the system's own connect takes.
    int ConnectTimeout = 0;

    TSocksInfo& SocksInfo() { return socksInfo_; }
    void SetSocksInfo(const TSocksInfo& info) { socksInfo_ = info; }

    virtual void FireConnected();
    virtual void Connect();
    virtual std::string ConnectAndReadAll();
    // True while a connection is open that was made to another peer than the settings now name.
    bool RouteChanged();

protected:
    // The peer a connection made now would reach, as text: Host and Port, and the SOCKS server
    // in between when there is one.
    virtual std::string Route() const;

private:
    void OpenSocket();

    TSocksInfo socksInfo_;
    std::string connectedRoute_;
};

} // namespace qv::http
