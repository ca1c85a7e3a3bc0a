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
    // Sends some of the bytes and answers how many; a peer that keeps it waiting `timeout`
    // milliseconds (IdTimeoutForever: no limit) raises EIdWriteTimeout.
    virtual int SendInstead(const void* bytes, int count, int timeout);
    // Waits until ReceiveInstead has something to hand, at most `timeout` milliseconds; false
    // when nothing came. The base class waits for the socket.
    virtual bool WaitReadable(TIdSocketHandle& handle, int timeout);

protected:
    bool takesReceiving_ = false;
    bool takesSending_ = false;

private:
    TIdSocketHandle* socketHandle_ = nullptr;
};

} // namespace qv::http
