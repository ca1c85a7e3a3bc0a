#pragma once

#include <cstdint>

namespace qv::http {
class TIdHTTP;
class TIdHeaderInfo;
} // namespace qv::http

namespace qv::service {

// The request settings of the client that sends every exchange: what it accepts, how it
// names itself, and no body.
void ApplyServiceSettings(http::TIdHeaderInfo& request);

// How long connecting to the service and waiting for its next bytes may take before an
// exchange fails with a clear error, instead of holding the window for ever.
inline constexpr int kServiceConnectTimeout = 30 * 1000;
inline constexpr int kServiceReadTimeout = 60 * 1000;

// Sets the client's time-outs to the service's.
void ApplyServiceTimeouts(http::TIdHTTP& http);

// The largest reply the client takes from the service: far above a tender's full text, the
// largest it sends, yet small enough that a hostile server cannot fill the program's memory.
inline constexpr int64_t kServiceMaxReplyBytes = 64 * 1024 * 1024;

// Sets the client's limits to the service's.
void ApplyServiceLimits(http::TIdHTTP& http);

// Gives the client a TLS engine of its own, so that an https service host is reached through
// TLS with its certificate checked.
void ApplyServiceTls(http::TIdHTTP& http);

} // namespace qv::service
