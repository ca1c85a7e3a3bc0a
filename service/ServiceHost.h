#pragma once

#include <string>

namespace qv::service {

// The tender service's web server when nothing replaces it.
inline constexpr const char* kServiceHost = "service.quorvane.example";

// The host (and port) of the tender service: QUORVANE_SERVICE_HOST when it holds a host
// name or address, optionally with ":port" and optionally after "https://" or "http://"
// (given back in lower case), else kServiceHost. A value that could change the path or the
// authority of the request URL is ignored. Read once, at start, into ClientState.serviceHost.
std::string ReadServiceHost();
// The same check on a given value; empty when it is not usable.
std::string UsableServiceHost(const std::string& value);
// The scheme of a service host: "https" when it starts with "https://", else "http".
std::string ServiceScheme(const std::string& host);

} // namespace qv::service
