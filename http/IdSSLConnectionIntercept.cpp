#include "http/IdSSLConnectionIntercept.h"

#include "http/IdException.h"
#include "http/IdResourceStrings.h"
#include "http/IdSocketHandle.h"
#include "http/IdWinsockErrors.h"
#include "platform/tls/TlsSession.h"

#include <algorithm>
#include <chrono>

namespace qv::http {

namespace {

// The most plaintext that one TLS record carries.
constexpr int kTlsRecordSize = 16384;

platform::TTlsDeadline DeadlineAfter(int timeout) {
    if (timeout == IdTimeoutForever) return std::nullopt;
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeout, 0));
}

// The session's failures as the connection's: a failed socket call as the socket error it is,
// anything else as a TLS error with the session's reason.
template <class Operation>
auto Translated(Operation operation) {
    try {
        return operation();
    } catch (const platform::TTlsStreamCut& e) {
        throw EIdTLSStreamCut(e.what());
    } catch (const platform::TTlsError& e) {
        if (e.SystemError() != 0) GSocketStack->RaiseError(WinsockErrorFromErrno(e.SystemError()));
        throw EIdTLSError(e.what());
    }
}

} // namespace

TIdSSLConnectionIntercept::TIdSSLConnectionIntercept(framework::TComponent* owner)
    : TIdConnectionIntercept(owner) {
    takesReceiving_ = true;
    takesSending_ = true;
}

TIdSSLConnectionIntercept::~TIdSSLConnectionIntercept() = default;

void TIdSSLConnectionIntercept::Attach(TIdSocketHandle* handle) {
    session_.reset();
    sessionSocket_ = handle->Handle();
    // OnConnect opens a proxy tunnel first, in the clear.
    TIdConnectionIntercept::Attach(handle);
    const std::string& name = HostName.empty() ? handle->PeerIP() : HostName;
    Translated([&] {
        session_ = std::make_unique<platform::TTlsSession>(handle->Handle(), name,
                                                           platform::TTlsSession::TCheck::Peer);
        session_->Handshake(platform::TlsDeadlineIn(HandshakeTimeout));
        return 0;
    });
}

void TIdSSLConnectionIntercept::Detach() {
    // The socket is already closed: the session is dropped without a word to the server.
    session_.reset();
    TIdConnectionIntercept::Detach();
}

platform::TTlsSession& TIdSSLConnectionIntercept::Session() {
    const TIdSocketHandle* handle = SocketHandle();
    if (!session_ || !handle || !handle->Allocated() || handle->Handle() != sessionSocket_)
        throw EIdTLSError(RSTLSNotConnected);
    return *session_;
}

bool TIdSSLConnectionIntercept::WaitReadable(TIdSocketHandle&, int timeout) {
    platform::TTlsSession& session = Session();
    return Translated([&] { return session.WaitReadable(DeadlineAfter(timeout)); });
}

int TIdSSLConnectionIntercept::ReceiveInstead(void* buffer, int size) {
    platform::TTlsSession& session = Session();
    return Translated([&] {
        return static_cast<int>(
            session.Receive(buffer, static_cast<size_t>(std::max(size, 0)), std::nullopt));
    });
}

// A record at a time, each with the whole time-out: like a read's, it bounds one wait for the
// peer, not a whole transfer.
int TIdSSLConnectionIntercept::SendInstead(const void* bytes, int count, int timeout) {
    platform::TTlsSession& session = Session();
    const int piece = std::clamp(count, 0, kTlsRecordSize);
    return Translated([&] {
        try {
            session.Send(bytes, static_cast<size_t>(piece), DeadlineAfter(timeout));
        } catch (const platform::TTlsTimeout&) {
            throw EIdWriteTimeout(RSWriteTimeout);
        }
        return piece;
    });
}

} // namespace qv::http
