#pragma once

#include "http/IdStack.h"

#include <string>

namespace qv::http {

// One socket with its local and peer address, over the global stack.
class TIdSocketHandle {
public:
    TIdSocketHandle() = default;
    virtual ~TIdSocketHandle();
    TIdSocketHandle(const TIdSocketHandle&) = delete;
    TIdSocketHandle& operator=(const TIdSocketHandle&) = delete;

    TIdStackSocketHandle Handle() const { return handle_; }
    bool Allocated() const { return allocated_; }
    const std::string& PeerIP() const { return peerIP_; }
    int PeerPort() const { return peerPort_; }

    // Local address (empty: any) and port (0: any) used by Bind, then read back from the socket.
    std::string IP;
    int Port = 0;

    void Allocate(int type, int protocol);
    // Shuts down the sending side first, so that the peer sees an orderly end of the stream.
    virtual void Close(bool resetLocal = true);
    void Bind();
    virtual int Connect(int family = Id_PF_INET);
    // Connect that gives up after `timeout` milliseconds with the error 10060.
    int ConnectWithin(int timeout, int family = Id_PF_INET);
    void SetPeer(const std::string& address, int port);
    bool WaitReadable(int timeout);
    int Receive(void* buffer, int length, int flags = 0);
    int Send(const void* buffer, int length, int flags = 0);
    // Send that gives up with the error 10060 when the peer makes no room for `timeout` milliseconds.
    int SendWithin(const void* buffer, int length, int timeout, int flags = 0);
    void SetSockOpt(int level, int option, const void* value, int length);
    virtual int ReceiveFrom(void* buffer, int length, std::string& ip, int& port);
    void Reset(bool resetLocal = true);
    void RefreshLocal();
    void RefreshPeer();

private:
    bool SelectReadable(int timeout);
    // Reads both addresses back after a connect that succeeded; answers the connect's result.
    int Connected(int result);

    TIdStackSocketHandle handle_ = Id_INVALID_SOCKET;
    bool allocated_ = false;
    std::string peerIP_;
    int peerPort_ = 0;
};

} // namespace qv::http
