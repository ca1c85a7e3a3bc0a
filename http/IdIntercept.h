#pragma once

#include "http/IdBaseComponent.h"

#include <functional>

namespace qv::http {

class TIdSocketHandle;
class TIdConnectionIntercept;

using TIdInterceptNotifyEvent = std::function<void(TIdConnectionIntercept* Sender, TIdSocketHandle* handle)>;

// Told about connects, disconnects and every block of bytes of a connection; may take
// over receiving and sending. The base class only watches and takes over nothing.
class TIdConnectionIntercept : public TIdBaseComponent {
public:
    explicit TIdConnectionIntercept(framework::TComponent* owner = nullptr) : TIdBaseComponent(owner) {}

    TIdInterceptNotifyEvent OnConnect;
    bool TakesReceiving() const { return takesReceiving_; }
    bool TakesSending() const { return takesSending_; }
    TIdSocketHandle* SocketHandle() const { return socketHandle_; }

    virtual void Attach(TIdSocketHandle* handle);
    virtual void DataReceived(const void* bytes, int count);
    virtual void DataSent(const void* bytes, int count);
    virtual void Detach();
    virtual int ReceiveInstead(void* buffer, int size);
    virtual int SendInstead(const void* bytes, int count);

protected:
    bool takesReceiving_ = false;
    bool takesSending_ = false;

private:
    TIdSocketHandle* socketHandle_ = nullptr;
};

// The hook for a TLS engine: it takes over receiving and sending. The system carries no
// engine, so a connection routed through this class alone receives and sends nothing.
class TIdSSLConnectionIntercept : public TIdConnectionIntercept {
public:
    explicit TIdSSLConnectionIntercept(framework::TComponent* owner = nullptr);
};

} // namespace qv::http
