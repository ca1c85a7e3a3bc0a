#pragma once

#include "http/IdSocksInfo.h"
#include "http/IdTCPConnection.h"

#include <string>

namespace qv::http {

// A TCP connection that opens itself: name resolution, local bind, the Nagle setting
// and an optional SOCKS 4, 4A or 5 handshake. There is no time-out on connecting.
class TIdTCPClient : public TIdTCPConnection {
public:
    explicit TIdTCPClient(framework::TComponent* owner = nullptr);

    // Local address to bind to; empty: any.
    std::string BoundIP;
    std::string Host;
    TNotifyEvent OnConnected;
    int Port = 0;
    bool UseNagle = true;

    TSocksInfo& SocksInfo() { return socksInfo_; }
    void SetSocksInfo(const TSocksInfo& info) { socksInfo_ = info; }

    virtual void FireConnected();
    virtual void Connect();
    virtual std::string ConnectAndReadAll();

private:
    void OpenSocket();

    TSocksInfo socksInfo_;
};

} // namespace qv::http
