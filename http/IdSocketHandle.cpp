#include "http/IdSocketHandle.h"

#include "http/IdAntiFreezeBase.h"
#include "http/IdException.h"
#include "http/IdResourceStrings.h"
#include "http/IdWinsockErrors.h"

namespace qv::http {

TIdSocketHandle::~TIdSocketHandle() {
    Close(true);
}

void TIdSocketHandle::Allocate(int type, int protocol) {
    Close(true);
    handle_ = GSocketStack->NewSocket(type, protocol);
    allocated_ = true;
}

void TIdSocketHandle::Close(bool resetLocal) {
    if (!allocated_) return;
    allocated_ = false;
    GSocketStack->Shutdown(handle_, Id_SD_Send);
    GSocketStack->CloseSocket(handle_);
    Reset(resetLocal);
}

void TIdSocketHandle::Bind() {
    if (GSocketStack->CheckResult(GSocketStack->BindSocket(handle_, Id_PF_INET, IP, Port),
                                  {Id_WSAEADDRINUSE}))
        throw EIdCouldNotBindSocket(RSCouldNotBindSocket);
    RefreshLocal();
}

int TIdSocketHandle::Connect(int family) {
    return Connected(GSocketStack->ConnectSocket(handle_, family, peerIP_, peerPort_));
}

int TIdSocketHandle::ConnectWithin(int timeout, int family) {
    return Connected(GSocketStack->ConnectSocketWithin(handle_, family, peerIP_, peerPort_, timeout));
}

int TIdSocketHandle::Connected(int result) {
    if (result != Id_SOCKET_ERROR) {
        RefreshLocal();
        RefreshPeer();
    }
    return result;
}

void TIdSocketHandle::SetPeer(const std::string& address, int port) {
    peerIP_ = address;
    peerPort_ = port;
}

bool TIdSocketHandle::SelectReadable(int timeout) {
    TIdSocketList readList{handle_};
    const bool readable = GSocketStack->Select(&readList, nullptr, nullptr, timeout) == 1;
    TIdAntiFreezeBase::DoProcess(!readable);
    return readable;
}

bool TIdSocketHandle::WaitReadable(int timeout) {
    if (!allocated_) throw EIdConnClosedGracefully(RSConnectionClosedGracefully);
    if (!TIdAntiFreezeBase::ShouldUse()) {
        // The blocking receive that follows waits just as long, without a system call more per piece.
        if (timeout == IdTimeoutForever) return true;
        return SelectReadable(timeout);
    }
    const int idle = GActiveAntiFreeze->IdleTimeOut;
    if (timeout == IdTimeoutForever) {
        while (!SelectReadable(idle)) {}
        return true;
    }
    if (timeout > idle) return SelectReadable(timeout - idle) || SelectReadable(idle);
    return SelectReadable(timeout);
}

int TIdSocketHandle::Receive(void* buffer, int length, int flags) {
    return GSocketStack->Receive(handle_, buffer, length, flags);
}

int TIdSocketHandle::Send(const void* buffer, int length, int flags) {
    return GSocketStack->Send(handle_, buffer, length, flags);
}

int TIdSocketHandle::SendWithin(const void* buffer, int length, int timeout, int flags) {
    return GSocketStack->SendWithin(handle_, buffer, length, flags, timeout);
}

void TIdSocketHandle::SetSockOpt(int level, int option, const void* value, int length) {
    GSocketStack->CheckResult(GSocketStack->SetSocketOption(handle_, level, option, value, length));
}

int TIdSocketHandle::ReceiveFrom(void* buffer, int length, std::string& ip, int& port) {
    return GSocketStack->ReceiveFrom(handle_, buffer, length, 0, ip, port);
}

void TIdSocketHandle::Reset(bool resetLocal) {
    allocated_ = false;
    handle_ = Id_INVALID_SOCKET;
    peerIP_.clear();
    peerPort_ = 0;
    if (resetLocal) {
        IP.clear();
        Port = 0;
    }
}

void TIdSocketHandle::RefreshLocal() {
    TIdSocketAddress address;
    if (!GSocketStack->LocalAddressOf(handle_, address)) GSocketStack->RaiseError(GSocketStack->LastError());
    IP = address.IP;
    Port = address.Port;
}

void TIdSocketHandle::RefreshPeer() {
    TIdSocketAddress address;
    if (!GSocketStack->PeerAddressOf(handle_, address)) GSocketStack->RaiseError(GSocketStack->LastError());
    peerIP_ = address.IP;
    peerPort_ = address.Port;
}

} // namespace qv::http
