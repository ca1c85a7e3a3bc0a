#pragma once

#include "service/ServiceHost.h"

#include <cstdint>
#include <string>

namespace qv::service {

// The state of the logged-in user for the whole run; one instance, reachable from every
// window. No field is validated or clamped when written. Text is 8-bit, Windows-1252.
struct ClientState {
    // HTTP proxy from the system settings; empty when there is none.
    std::string proxyHost;
    // Keyword of the current listing; empty lists today's tenders.
    std::string keyword;
    // The whole reply of the last check_login request.
    std::string loginReply;
    // 0 when there is no proxy or its port does not read as a number.
    int32_t proxyPort = 0;
    // Page being listed, counted from 1; set to 1 before the first listing.
    int32_t page = 0;
    // Total reported by the last successful listing.
    int32_t totalCount = 0;
    // The successful login reply from its fifth character: name, "{{}}", keywords.
    std::string loginTail;
    std::string email;
    // Held in clear: every request carries it.
    std::string password;
    // Host of the tender service, with ":port" and "https://" or "http://" when given; read
    // once at start (ReadServiceHost).
    std::string serviceHost = kServiceHost;
};

} // namespace qv::service
