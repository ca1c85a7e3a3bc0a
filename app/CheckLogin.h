#pragma once

#include "service/ClientState.h"

namespace qv::http {
class TIdHTTP;
}

namespace qv::app {

inline constexpr const char* SWrongLogin = "Wrong email or password, please try again.";

// Every login: the remembered account is loaded when the state holds none, the proxy is looked up
// again for every request to come, and, when both credentials are there, check_login is sent. A
// refusal shows SWrongLogin; a success keeps the account details and remembers the account.
// True for a success. Failures of the client and of the store are raised to the caller.
bool CheckLogin(service::ClientState& state, http::TIdHTTP& http);

} // namespace qv::app
