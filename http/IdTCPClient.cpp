#include "http/IdTCPClient.h"

#include "http/IdIntercept.h"
#include "http/IdResourceStrings.h"

#include <netinet/in.h>
#include <netinet/tcp.h>

namespace qv::http {

TIdTCPClient::TIdTCPClient(framework::TComponent* owner) : TIdTCPConnection(owner) {}

void TIdTCPClient::FireConnected() {
    if (OnConnected) OnConnected(this);
}

void TIdTCPClient::Connect() {
    if (SocketHandle().Allocated()) throw EIdAlreadyConnected(RSAlreadyConnected);
    ResetState();
    SocketHandle().Allocate(Id_SOCK_STREAM, 0);
    connectedRoute_ = Route();
    try {
        OpenSocket();
        // The SOCKS server is on the way: what the intercept does with the bytes, a TLS
        // handshake say, is meant for the far end.
        {
            TIdInterceptPause pause(*this);
            socksInfo_.MakeConnection(*this, Host, Port);
        }
        // What the SOCKS server sent behind its answer would be read past the intercept.
        if (InterceptReceives() && InputSize() > 0) throw EIdTLSError(RSTLSBytesBeforeHandshake);
        if (InterceptEnabled() && Intercept()) Intercept()->Attach(&SocketHandle());
    } catch (...) {
        try {
            Disconnect();
        } catch (...) {}
        throw;
    }
    ReportStatus(stConnected);
    FireConnected();
}

void TIdTCPClient::OpenSocket() {
    TIdSocketHandle& handle = SocketHandle();
    handle.IP = BoundIP;
    handle.Bind();
    const bool socks = socksInfo_.Version != svNoSocks;
    const std::string& host = socks ? socksInfo_.Host : Host;
    const int port = socks ? socksInfo_.Port : Port;
    if (!TIdStack::IsDottedAddress(host)) ReportStatus(stResolving, host);
    handle.SetPeer(GSocketStack->Resolve(host), port);
    if (!UseNagle) {
        const int32_t on = 1;
        handle.SetSockOpt(IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    ReportStatus(stConnecting, handle.PeerIP());
    GSocketStack->CheckResult(ConnectTimeout > 0 ? handle.ConnectWithin(ConnectTimeout) : handle.Connect());
}

bool TIdTCPClient::RouteChanged() {
    return SocketHandle().Allocated() && Route() != connectedRoute_;
}

std::string TIdTCPClient::Route() const {
    std::string route = Host + ":" + std::to_string(Port);
    if (socksInfo_.Version != svNoSocks)
        route += " socks " + std::to_string(socksInfo_.Version) + " " + socksInfo_.Host + ":" +
                 std::to_string(socksInfo_.Port);
    return route;
}

std::string TIdTCPClient::ConnectAndReadAll() {
    Connect();
    std::string all;
    try {
        all = ReadAll();
    } catch (...) {
        Disconnect();
        throw;
    }
    Disconnect();
    return all;
}

} // namespace qv::http
