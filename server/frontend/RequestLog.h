#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qv::server {

// One line on standard error for each request: time, client, method, path, the action when
// the query names one, status and body size, and last the page a listing asks for. Neither the
// query nor the path goes in as it came: the query holds the password, and both may hold
// control bytes.
void LogRequest(std::string_view peer, std::string_view method, std::string_view path,
                const std::optional<std::string>& action, int status, size_t bodySize,
                const std::optional<std::string>& page = std::nullopt);

// One line for a connection closed before it carried a request (over the cap, a failed
// handshake, a head that did not arrive in time).
void LogConnection(std::string_view peer, std::string_view what);

} // namespace qv::server
