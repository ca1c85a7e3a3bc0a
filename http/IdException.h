#pragma once

#include "http/text/IdTextExceptions.h"

#include <string>

namespace qv::http {

// The failures of the connection layer and the exchange; the root EIdException and the text
// layer's own failures come with the text layer.

// The mark of an orderly end rather than a fault.
QV_EXCEPTION_CLASS(EIdSilentException, EIdException);
QV_EXCEPTION_CLASS(EIdConnClosedGracefully, EIdSilentException);

QV_EXCEPTION_CLASS(EIdAlreadyConnected, EIdException);
QV_EXCEPTION_CLASS(EIdInvalidServiceName, EIdException);
QV_EXCEPTION_CLASS(EIdInvalidSocket, EIdException);

// A reply outside the accepted ones; carries the reply's number (an HTTP status code).
class EIdProtocolReplyError : public EIdException {
public:
    EIdProtocolReplyError(int replyErrorCode, std::string message)
        : EIdException(std::move(message)), replyErrorCode_(replyErrorCode) {}
    int ReplyErrorCode() const noexcept { return replyErrorCode_; }
    const char* ClassName() const noexcept override { return "EIdProtocolReplyError"; }

private:
    int replyErrorCode_;
};

// A failed socket call; carries the error code in its Windows numbering.
class EIdSocketError : public EIdException {
public:
    EIdSocketError(int lastError, std::string message)
        : EIdException(std::move(message)), lastError_(lastError) {}
    int LastError() const noexcept { return lastError_; }
    const char* ClassName() const noexcept override { return "EIdSocketError"; }

private:
    int lastError_;
};

QV_EXCEPTION_CLASS(EIdStackError, EIdException);
QV_EXCEPTION_CLASS(EIdStackInitializationFailed, EIdStackError);
QV_EXCEPTION_CLASS(EIdStackSetSizeExceeded, EIdStackError);
QV_EXCEPTION_CLASS(EIdStackCanNotLoadWinsock, EIdException);

QV_EXCEPTION_CLASS(EIdSocketHandleError, EIdException);
QV_EXCEPTION_CLASS(EIdCouldNotBindSocket, EIdSocketHandleError);

QV_EXCEPTION_CLASS(EIdTCPConnectionError, EIdException);
QV_EXCEPTION_CLASS(EIdObjectTypeNotSupported, EIdTCPConnectionError);
QV_EXCEPTION_CLASS(EIdNotEnoughDataInBuffer, EIdTCPConnectionError);
QV_EXCEPTION_CLASS(EIdInterceptPropIsNil, EIdTCPConnectionError);
QV_EXCEPTION_CLASS(EIdInterceptPropInvalid, EIdTCPConnectionError);
QV_EXCEPTION_CLASS(EIdNoDataToRead, EIdTCPConnectionError);
// A peer that sends more than a reader is prepared to buffer: a line or a reply header without end,
// or a body larger than its stream may grow.
QV_EXCEPTION_CLASS(EIdMaxLineLengthExceeded, EIdTCPConnectionError);
QV_EXCEPTION_CLASS(EIdReplyHeaderTooLarge, EIdTCPConnectionError);
QV_EXCEPTION_CLASS(EIdMaxStreamSizeExceeded, EIdTCPConnectionError);
// A reply whose framing cannot be trusted: a bad or conflicting length, a bad chunk.
QV_EXCEPTION_CLASS(EIdMalformedReply, EIdTCPConnectionError);
// A peer that kept the connection waiting longer than its ReadTimeout: for its next bytes, or to
// take the bytes sent to it.
QV_EXCEPTION_CLASS(EIdTimeout, EIdTCPConnectionError);
QV_EXCEPTION_CLASS(EIdReadTimeout, EIdTimeout);
QV_EXCEPTION_CLASS(EIdWriteTimeout, EIdTimeout);

QV_EXCEPTION_CLASS(EIdSocksError, EIdException);
QV_EXCEPTION_CLASS(EIdSocksRequestFailed, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksRequestServerFailed, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksRequestIdentFailed, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksUnknownError, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksServerRespondError, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksAuthMethodError, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksAuthError, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksServerGeneralError, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksServerPermissionError, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksServerNetUnreachableError, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksServerHostUnreachableError, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksServerConnectionRefusedError, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksServerTTLExpiredError, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksServerCommandError, EIdSocksError);
QV_EXCEPTION_CLASS(EIdSocksServerAddressError, EIdSocksError);
// A host name, user or password that a SOCKS 5 length byte cannot count.
QV_EXCEPTION_CLASS(EIdSocksNameTooLong, EIdSocksError);

// A TLS connection that failed: its handshake, the server's certificate, or the stream; the
// message names the server and the reason.
QV_EXCEPTION_CLASS(EIdTLSError, EIdException);
// The server ended the TCP stream without ending TLS first: what came before may be cut short.
QV_EXCEPTION_CLASS(EIdTLSStreamCut, EIdTLSError);

QV_EXCEPTION_CLASS(EIdMoreThanOneTIdAntiFreeze, EIdException);
QV_EXCEPTION_CLASS(EIdTableNotFound, EIdException);

} // namespace qv::http
