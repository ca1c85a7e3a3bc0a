#pragma once

// The fixed message texts of the networking classes, byte for byte.
namespace qv::http {

inline constexpr const char* RSConnectionClosedGracefully = "Connection Closed Gracefully.";
inline constexpr const char* RSAlreadyConnected = "Already connected.";
inline constexpr const char* RSNotEnoughDataInBuffer = "Not enough data in buffer.";
inline constexpr const char* RSNoDataToRead = "No data to read.";
inline constexpr const char* RSInterceptPropIsNil =
    "InterceptEnabled cannot be set to true when Intercept is nil.";
inline constexpr const char* RSInterceptPropInvalid = "Intercept value is not valid";
inline constexpr const char* RSObjectTypeNotSupported = "Object type not supported.";
inline constexpr const char* RSMaxLineLengthExceeded = "Max line length exceeded.";
inline constexpr const char* RSReplyHeaderTooLarge = "Reply header too large.";
inline constexpr const char* RSMaxStreamSizeExceeded = "Max stream size exceeded.";
inline constexpr const char* RSReplyHeaderTooManyLines = "Reply header has too many lines.";
inline constexpr const char* RSInvalidContentLength = "Invalid Content-Length in reply.";
inline constexpr const char* RSConflictingContentLength = "Conflicting Content-Length in reply.";
inline constexpr const char* RSInvalidChunkSize = "Invalid chunk size in reply.";
inline constexpr const char* RSChunkNotTerminated = "Chunk data in reply not followed by a line end.";
inline constexpr const char* RSReadTimeout = "Read timed out.";
inline constexpr const char* RSWriteTimeout = "Write timed out.";
inline constexpr const char* RSTLSNotConnected = "No TLS session: the connection was not opened through TLS.";
inline constexpr const char* RSTLSBytesBeforeHandshake = "The proxy sent bytes before the TLS handshake.";

inline constexpr const char* RSStackError = "Socket Error # %d\r\n%s";
inline constexpr const char* RSStackCanNotLoadWinsock = "%s could not be loaded.";
inline constexpr const char* RSStackInitializationFailed = "Winsock Initialization Error.";
inline constexpr const char* RSStackSetSizeExceeded = "Set Size Exceeded.";
inline constexpr const char* RSCannotAllocateSocket = "Cannot allocate socket.";
inline constexpr const char* RSCouldNotBindSocket =
    "Could not bind socket. Address and port are already in use.";
inline constexpr const char* RSInvalidServiceName = "%s is not a valid service.";
inline constexpr const char* RSOnlyOneAntiFreeze = "Only one TIdAntiFreeze can exist per application.";

inline constexpr const char* RSStatusResolving = "Resolving hostname %s.";
inline constexpr const char* RSStatusConnecting = "Connecting to %s.";
inline constexpr const char* RSStatusConnected = "Connected.";
inline constexpr const char* RSStatusDisconnecting = "Disconnecting from %s.";
inline constexpr const char* RSStatusDisconnected = "Not connected.";
inline constexpr const char* RSStatusText = "%s";
inline constexpr const char* RSChunkStarted = "Chunk Started";

inline constexpr const char* RSSocksRequestFailed = "Request rejected or failed.";
inline constexpr const char* RSSocksRequestServerFailed =
    "Request rejected because SOCKS server cannot connect.";
inline constexpr const char* RSSocksRequestIdentFailed =
    "Request rejected because the client program and identd report different user-ids.";
inline constexpr const char* RSSocksUnknownError = "Unknown socks error.";
inline constexpr const char* RSSocksServerRespondError = "Socks server did not respond.";
inline constexpr const char* RSSocksAuthMethodError = "Invalid socks authentication method.";
inline constexpr const char* RSSocksAuthError = "Authentication error to socks server.";
inline constexpr const char* RSSocksServerGeneralError = "General SOCKS server failure.";
inline constexpr const char* RSSocksServerPermissionError = "Connection not allowed by ruleset.";
inline constexpr const char* RSSocksServerNetUnreachableError = "Network unreachable.";
inline constexpr const char* RSSocksServerHostUnreachableError = "Host unreachable.";
inline constexpr const char* RSSocksServerConnectionRefusedError = "Connection refused.";
inline constexpr const char* RSSocksServerTTLExpiredError = "TTL expired.";
inline constexpr const char* RSSocksServerCommandError = "Command not supported.";
inline constexpr const char* RSSocksServerAddressError = "Address type not supported.";
inline constexpr const char* RSSocksNameTooLong = "Name longer than 255 bytes for the socks server.";

} // namespace qv::http
