#include "http/IdIntercept.h"

#include "http/IdSocketHandle.h"

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

int TIdConnectionIntercept::SendInstead(const void*, int, int) {
    return 0;
}

bool TIdConnectionIntercept::WaitReadable(TIdSocketHandle& handle, int timeout) {
    return handle.WaitReadable(timeout);
}

} // namespace qv::http
