#pragma once

#include "service/ClientState.h"
#include "service/ServiceReplies.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv::http {
class TIdHTTP;
}

namespace qv::service {

// The three requests of the tender service. Each is one exchange through `http` for the account
// in `state`, to its service host and through its proxy, after which no connection stays open.
// A failure of the client reaches the caller unchanged.

// check_login: the whole reply goes into state.loginReply and, when the service accepted the
// account, the account details into state.loginTail. True for an accepted account.
bool CheckLogin(http::TIdHTTP& http, ClientState& state);

// One page of a listing, as the browse reply gave it.
struct BrowsePage {
    int32_t total = 0;
    std::vector<TenderRow> rows;
};
// browse for state.page of state.keyword (empty: today's tenders) in the country `countryCode`.
// Nothing when the service refused the query; EConvertError when the total is not a number.
std::optional<BrowsePage> Browse(http::TIdHTTP& http, const ClientState& state,
                                 const std::string& countryCode);

// view_tender for `id`: the tender's full text; nothing when the service refused the request.
std::optional<std::string> ViewTender(http::TIdHTTP& http, const ClientState& state, const std::string& id);

} // namespace qv::service
