#include "http/IdIntercept.h"

namespace qv::http {

void TIdConnectionIntercept::Attach(TIdSocketHandle* handle) {
    socketHandle_ = handle;
    if (OnConnect) OnConnect(this, handle);
}

void TIdConnectionIntercept::DataReceived(const void*, int) {}

void TIdConnectionIntercept::DataSent(const void*, int) {}

void TIdConnectionIntercept::Detach() {
    socketHandle_ = nullptr;
}

int TIdConnectionIntercept::ReceiveInstead(void*, int) {
    return 0;
}

int TIdConnectionIntercept::SendInstead(const void*, int) {
    return 0;
}

TIdSSLConnectionIntercept::TIdSSLConnectionIntercept(framework::TComponent* owner)
    : TIdConnectionIntercept(owner) {
    takesReceiving_ = true;
    takesSending_ = true;
}

} // namespace qv::http
