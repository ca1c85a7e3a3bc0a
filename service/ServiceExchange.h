#pragma once

#include <string>

namespace qv::http {
class TIdHTTP;
class TIdHeaderInfo;
} // namespace qv::http

namespace qv::service {

// The request settings of the client that sends every exchange: what it accepts, how it
// names itself, and no body.
void ApplyServiceSettings(http::TIdHeaderInfo& request);

// One exchange with the tender service: GET the built URL and return the reply body, then
// disconnect, so that no connection stays open between requests. A failure of the client
// raises before the disconnect and reaches the caller unchanged.
std::string Exchange(http::TIdHTTP& http, const std::string& url);

} // namespace qv::service
