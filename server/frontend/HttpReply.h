#pragma once

#include <string>
#include <string_view>

namespace qv::server {

constexpr int kStatusOk = 200;
constexpr int kStatusNotFound = 404;
constexpr int kStatusMethodNotAllowed = 405;
constexpr int kStatusServiceError = 500;

// The bytes of a whole reply: status line, headers and, unless `headOnly`, the body. Every
// body is Windows-1252 text; "Connection: close" tells the client when the reply is the last.
std::string FormatReply(int status, std::string_view body, bool keepAlive, bool headOnly = false);

// The text that refuses a request with `status`, as the reply's body.
std::string_view StatusText(int status);

} // namespace qv::server
