#include "service/ServiceRequests.h"

#include "http/IdHTTP.h"
#include "service/RequestUrls.h"

namespace qv::service {

namespace {

// The proxy is the one the last login found (none: straight to the service). The client raises
// before the disconnect.
std::string Exchange(http::TIdHTTP& http, const ClientState& state, const std::string& url) {
    http.Request().ProxyServer = state.proxyHost;
    http.Request().ProxyPort = state.proxyPort;
    std::string reply = http.Get(url);
    http.Disconnect();
    return reply;
}

} // namespace

bool CheckLogin(http::TIdHTTP& http, ClientState& state) {
    state.loginReply = Exchange(http, state, CheckLoginUrl(state.serviceHost, state.email, state.password));
    if (!LoginSucceeded(state.loginReply)) return false;
    state.loginTail = LoginTail(state.loginReply);
    return true;
}

std::optional<BrowsePage> Browse(http::TIdHTTP& http, const ClientState& state,
                                 const std::string& countryCode) {
    const std::string reply = Exchange(
        http, state,
        BrowseUrl(state.serviceHost, state.email, state.password, state.page, state.keyword, countryCode));
    if (!ReplySucceeded(reply)) return std::nullopt;
    // The total is read first: a count that is no number raises before anything is listed.
    return BrowsePage{BrowseReplyTotal(reply), BrowseReplyRows(reply)};
}

std::optional<std::string> ViewTender(http::TIdHTTP& http, const ClientState& state, const std::string& id) {
    const std::string reply =
        Exchange(http, state, ViewTenderUrl(state.serviceHost, state.email, state.password, id));
    if (!ReplySucceeded(reply)) return std::nullopt;
    return ViewReplyText(reply);
}

} // namespace qv::service
