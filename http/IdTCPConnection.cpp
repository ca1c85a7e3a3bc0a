#include "http/IdTCPConnection.h"

#include "framework/Conversions.h"
#include "http/IdIntercept.h"
#include "http/IdResourceStrings.h"
#include "http/IdWinsockErrors.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>

namespace qv::http {

namespace {
constexpr int DefaultRecvBufferSize = 32768;
// A counted body presizes its stream once, but never beyond this: the count comes from the peer.
constexpr int64_t MaxPresize = 64 * 1024 * 1024;
} // namespace

TIdTCPConnection::TIdTCPConnection(framework::TComponent* owner)
    : TIdComponent(owner), receiveArea_(DefaultRecvBufferSize) {}

TIdTCPConnection::~TIdTCPConnection() {
    SetIntercept(nullptr);
}

void TIdTCPConnection::SetRecvBufferSize(int size) {
    receiveArea_.SetSize(std::max(size, 1));
}

void TIdTCPConnection::SetIntercept(TIdConnectionIntercept* intercept) {
    if (interceptComponent_) RemoveFreeNotification(interceptComponent_);
    intercept_ = intercept;
    interceptComponent_ = intercept;
    if (interceptComponent_) FreeNotification(interceptComponent_);
}

void TIdTCPConnection::SetInterceptEnabled(bool enabled) {
    if (enabled && !intercept_ && !Loading()) throw EIdInterceptPropIsNil(RSInterceptPropIsNil);
    interceptEnabled_ = enabled;
}

void TIdTCPConnection::Notification(framework::TComponent* component, framework::TOperation operation) {
    TIdComponent::Notification(component, operation);
    if (operation == framework::TOperation::opRemove && component == interceptComponent_) {
        intercept_ = nullptr;
        interceptComponent_ = nullptr;
        interceptEnabled_ = false;
    }
}

bool TIdTCPConnection::InterceptReceives() const {
    return interceptEnabled_ && intercept_ && intercept_->TakesReceiving();
}

bool TIdTCPConnection::InterceptSends() const {
    return interceptEnabled_ && intercept_ && intercept_->TakesSending();
}

void TIdTCPConnection::FireDisconnected() {
    if (OnDisconnected) OnDisconnected(this);
}

void TIdTCPConnection::ResetState() {
    socketHandle_.Reset(true);
    inputBuffer_.Clear();
    peerClosed_ = false;
}

bool TIdTCPConnection::Connected() {
    CheckClosed(false, false);
    return socketHandle_.Allocated();
}

void TIdTCPConnection::Disconnect() {
    DropConnection();
}

void TIdTCPConnection::DropConnection() {
    if (socketHandle_.Allocated()) {
        ReportStatus(stDisconnecting, socketHandle_.PeerIP());
        socketHandle_.Close(true);
        peerClosed_ = true;
        ReportStatus(stDisconnected);
        FireDisconnected();
    }
    if (interceptEnabled_ && intercept_) intercept_->Detach();
}

void TIdTCPConnection::CheckClosed(bool raise, bool ignoreBuffer) {
    if (!peerClosed_ && socketHandle_.Allocated()) return;
    if (socketHandle_.Allocated()) DropConnection();
    if (raise && (inputBuffer_.Size() == 0 || ignoreBuffer))
        throw EIdConnClosedGracefully(RSConnectionClosedGracefully);
}

// A look without waiting: a close the peer has already sent is seen, and a full millisecond
// after every kept-alive reply would cost far more than the exchange itself.
void TIdTCPConnection::PollClosed(bool raise) {
    FillInput(raise, 0, true);
}

int TIdTCPConnection::FillInput(bool raise, int timeout, bool useBuffer, TIdBuffer* destination) {
    CheckClosed(raise, false);
    if (!Connected()) return 0;
    TIdBuffer& area = destination ? *destination : receiveArea_;
    const bool limited = timeout == IdTimeoutForever && ReadTimeout > 0;
    const int wait = limited ? ReadTimeout : timeout;
    // Bytes on the socket are not yet bytes for the reader when an intercept decodes them.
    if (!(InterceptReceives() ? intercept_->WaitReadable(socketHandle_, wait)
                              : socketHandle_.WaitReadable(wait))) {
        if (limited) throw EIdReadTimeout(RSReadTimeout);
        return 0;
    }
    const int size = static_cast<int>(area.Size());
    int count = InterceptReceives() ? intercept_->ReceiveInstead(area.Memory(), size)
                                    : socketHandle_.Receive(area.Memory(), size);
    peerClosed_ = count == 0;
    if (count == Id_SOCKET_ERROR) {
        const int error = GSocketStack->LastError();
        if (error != Id_WSAESHUTDOWN) GSocketStack->RaiseError(error);
        count = 0;
        if (socketHandle_.Allocated()) DropConnection();
        if (inputBuffer_.Size() == 0) GSocketStack->RaiseError(error);
    }
    if (ASCIIFilter)
        for (int i = 0; i < count; ++i)
            area.Memory()[i] = static_cast<char>(area.Memory()[i] & 0x7F);
    if (useBuffer)
        inputBuffer_.Append(area.Memory(), count);
    else
        AddWork(wkRead, count);
    if (interceptEnabled_ && intercept_) intercept_->DataReceived(area.Memory(), count);
    CheckClosed(raise, false);
    return count;
}

std::string TIdTCPConnection::ReadLine(const std::string& terminator, int timeout) {
    const std::string& term = terminator.empty() ? std::string("\n") : terminator;
    lineTimedOut_ = false;
    size_t found = std::string::npos;
    for (;;) {
        if (inputBuffer_.Size() > 0) {
            const std::string_view buffered(inputBuffer_.Memory(), static_cast<size_t>(inputBuffer_.Size()));
            found = buffered.find(term);
            if (found != std::string::npos) break;
            if (inputBuffer_.Size() > MaxLineLength) throw EIdMaxLineLengthExceeded(RSMaxLineLengthExceeded);
        }
        CheckClosed(true, true);
        if (FillInput(true, timeout, true) == 0) {
            lineTimedOut_ = true;
            return std::string();
        }
    }
    std::string line = TakeInput(static_cast<int64_t>(found + term.size()));
    line.resize(found);
    if (terminator.empty() && !line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::string TIdTCPConnection::ReadLineWait() {
    for (;;) {
        const std::string line = framework::Trim(ReadLine());
        if (!line.empty()) return line;
    }
}

std::string TIdTCPConnection::TakeInput(int64_t count) {
    if (count > inputBuffer_.Size()) throw EIdNotEnoughDataInBuffer(RSNotEnoughDataInBuffer);
    std::string taken(inputBuffer_.Memory(), static_cast<size_t>(std::max<int64_t>(count, 0)));
    DropInput(count);
    return taken;
}

void TIdTCPConnection::DropInput(int64_t count) {
    if (count > inputBuffer_.Size()) throw EIdNotEnoughDataInBuffer(RSNotEnoughDataInBuffer);
    inputBuffer_.Remove(count);
    AddWork(wkRead, count);
}

std::string TIdTCPConnection::DrainInput() {
    if (Connected()) FillInput(false, IdTimeoutForever, true);
    return TakeInput(inputBuffer_.Size());
}

std::string TIdTCPConnection::ReadAll() {
    std::string all;
    DoWork(wkRead, 0, [&] {
        while (Connected())
            all += DrainInput();
    });
    return all;
}

void TIdTCPConnection::ReadExact(void* memory, int64_t count) {
    if (count <= 0) return;
    // A peer that closes with part of the count buffered would otherwise leave this loop waiting forever.
    while (inputBuffer_.Size() < count) {
        CheckClosed(true, true);
        FillInput(true, IdTimeoutForever, true);
    }
    std::memcpy(memory, inputBuffer_.Memory(), static_cast<size_t>(count));
    DropInput(count);
}

int32_t TIdTCPConnection::ReadInt32(bool convert) {
    uint32_t value = 0;
    ReadExact(&value, sizeof value);
    return static_cast<int32_t>(convert ? ntohl(value) : value);
}

void TIdTCPConnection::ReadToStream(framework::TStream& stream, int64_t count, bool untilClose) {
    if (count == -1 && !untilClose) count = ReadInt32();
    // The room the limit leaves the stream; a count beyond it fails before anything is read.
    const auto checkRoom = [this, &stream](int64_t more) {
        if (MaxStreamSize > 0 && more > MaxStreamSize - stream.Position())
            throw EIdMaxStreamSizeExceeded(RSMaxStreamSizeExceeded);
    };
    if (count >= 0) {
        checkRoom(count);
        stream.SetSize(stream.Position() + std::min(count, MaxPresize));
    }
    // The stream ends at the last byte received, also when the read fails half-way.
    const auto cutStream = [&stream] {
        if (stream.Size() > stream.Position()) stream.SetSize(stream.Position());
    };
    try {
        DoWork(wkRead, untilClose ? 0 : count, [&] {
            const int64_t fromBuffer = untilClose ? InputSize() : std::clamp<int64_t>(count, 0, InputSize());
            if (fromBuffer > 0) {
                checkRoom(fromBuffer);
                stream.Write(inputBuffer_.Memory(), fromBuffer);
                DropInput(fromBuffer);
            }
            int64_t remaining = count - fromBuffer;
            TIdBuffer scratch;
            while ((untilClose || remaining > 0) && Connected()) {
                scratch.SetSize(untilClose ? RecvBufferSize()
                                           : std::min<int64_t>(remaining, RecvBufferSize()));
                const int received = FillInput(!untilClose, IdTimeoutForever, false, &scratch);
                checkRoom(received);
                stream.Write(scratch.Memory(), received);
                remaining -= received;
            }
        });
    } catch (...) {
        cutStream();
        throw;
    }
    cutStream();
}

} // namespace qv::http
