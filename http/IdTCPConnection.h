#pragma once

#include "framework/StringList.h"
#include "http/IdBuffer.h"
#include "http/IdComponent.h"
#include "http/IdException.h"
#include "http/IdSocketHandle.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv::http {

class TIdConnectionIntercept;

// A blocking TCP connection with an input buffer: reads by line, by count and up to the
// peer's close, unbuffered writes, closing, and the detection of a peer that has closed.
// Every read, write and Connected first drops a connection whose peer has closed.
class TIdTCPConnection : public TIdComponent {
public:
    explicit TIdTCPConnection(framework::TComponent* owner = nullptr);
    ~TIdTCPConnection() override;

    bool ASCIIFilter = false;
    TNotifyEvent OnDisconnected;
    int SendBufferSize = 32768;
    // Longest line ReadLine accepts, so that a peer cannot make it buffer without bound.
    int64_t MaxLineLength = 1024 * 1024;
    // Most bytes ReadToStream leaves in a stream, counted from its start (0 or below: no limit),
    // so that a peer cannot make a reply fill memory; a read that would go past it fails with
    // EIdMaxStreamSizeExceeded.
    int64_t MaxStreamSize = 0;
    // Milliseconds that a read which would otherwise wait without limit waits for the peer's
    // next bytes before it fails with EIdReadTimeout, and that a send waits for the peer to take
    // any of its bytes before it drops the connection and fails with EIdWriteTimeout; 0 or
    // below: no limit. Reads given a time-out of their own keep it.
    int ReadTimeout = 0;

    TIdSocketHandle& SocketHandle() { return socketHandle_; }
    TIdBuffer& InputBuffer() { return inputBuffer_; }
    bool PeerClosed() const { return peerClosed_; }
    bool LineTimedOut() const { return lineTimedOut_; }
    framework::TStringList& ReplyLines() { return replyLines_; }
    int16_t ReplyNumber() const { return replyNumber_; }
    int RecvBufferSize() const { return static_cast<int>(receiveArea_.Size()); }
    void SetRecvBufferSize(int size);
    TIdConnectionIntercept* Intercept() const { return intercept_; }
    void SetIntercept(TIdConnectionIntercept* intercept);
    bool InterceptEnabled() const { return interceptEnabled_; }
    void SetInterceptEnabled(bool enabled);

    virtual void FireDisconnected();
    virtual void ResetState();
    virtual std::string ReadAll();
    virtual void CheckClosed(bool raise, bool ignoreBuffer);
    virtual void PollClosed(bool raise);
    virtual void CheckReplyNumber(int number, const std::vector<int>& allowed);
    virtual bool Connected();
    virtual void Disconnect();
    virtual void DropConnection();
    virtual std::string TakeInput(int64_t count);
    virtual int16_t ReadReply(const std::vector<int>& allowed = {});
    [[noreturn]] virtual void RaiseReplyError();
    virtual int FillInput(bool raise, int timeout, bool useBuffer, TIdBuffer* destination = nullptr);
    virtual std::string ReadLine(const std::string& terminator = std::string(),
                                 int timeout = IdTimeoutForever);
    virtual void DropInput(int64_t count);
    virtual int16_t SendCommand(const std::string& text, const std::vector<int>& allowed = {});
    virtual void WriteText(const std::string& text);
    virtual void WriteLine(const std::string& text);
    virtual void WriteFromStream(framework::TStream& stream, bool fromStart, bool withLength);
    virtual int64_t WriteFileContents(const std::string& fileName, bool letSystemSend = true);

    template <class E>
    [[noreturn]] void RaiseReplyErrorAs() {
        throw E(LastReplyLine());
    }
    std::string LastReplyLine() const;
    std::string ReadLineWait();
    int64_t InputSize() const { return inputBuffer_.Size(); }
    std::string DrainInput();
    void ReadExact(void* memory, int64_t count);
    int32_t ReadInt32(bool convert = true);
    void WriteInt32(int32_t value, bool convert = true);
    // count -1 (and not until close): a 4-byte count in network order comes first.
    void ReadToStream(framework::TStream& stream, int64_t count, bool untilClose);
    void WriteLines(const framework::TStringList& lines);
    void SendBytes(const void* memory, int64_t count, bool now = false);

protected:
    void Notification(framework::TComponent* component, framework::TOperation operation) override;
    // The intercept takes over this direction.
    bool InterceptReceives() const;
    bool InterceptSends() const;
    // One send to the socket; a peer that makes no room for `timeout` milliseconds raises
    // EIdWriteTimeout.
    int SendToSocket(const char* bytes, int length, int timeout);

private:
    TIdSocketHandle socketHandle_;
    TIdBuffer inputBuffer_;
    TIdBuffer receiveArea_;
    framework::TStringList replyLines_;
    TIdConnectionIntercept* intercept_ = nullptr;
    // The intercept as a plain component, compared when components announce their removal.
    framework::TComponent* interceptComponent_ = nullptr;
    bool interceptEnabled_ = false;
    bool peerClosed_ = false;
    bool lineTimedOut_ = false;
    int16_t replyNumber_ = 0;
};

// Lets the bytes of an exchange with a peer on the way (a SOCKS server, a proxy's CONNECT) pass
// the intercept by, and puts the intercept back as it was whatever happens: left off, it would
// let the next request go out in the clear.
class TIdInterceptPause {
public:
    explicit TIdInterceptPause(TIdTCPConnection& connection)
        : connection_(connection), wasEnabled_(connection.InterceptEnabled()) {
        connection_.SetInterceptEnabled(false);
    }
    ~TIdInterceptPause() {
        if (wasEnabled_ && connection_.Intercept()) connection_.SetInterceptEnabled(true);
    }
    TIdInterceptPause(const TIdInterceptPause&) = delete;
    TIdInterceptPause& operator=(const TIdInterceptPause&) = delete;

private:
    TIdTCPConnection& connection_;
    bool wasEnabled_;
};

} // namespace qv::http
