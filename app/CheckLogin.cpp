#include "app/CheckLogin.h"

#include "app/CredentialStore.h"
#include "framework/gui/MessageBox.h"
#include "http/IdHTTP.h"
#include "service/FindProxy.h"
#include "service/RequestUrls.h"
#include "service/ServiceExchange.h"
#include "service/ServiceHost.h"
#include "service/ServiceReplies.h"

namespace qv::app {

bool CheckLogin(service::ClientState& state, http::TIdHTTP& http) {
    if (state.email.empty() && state.password.empty()) LoadCredentials(state);
    const service::ProxySetting proxy = service::FindProxy(service::ServiceScheme(service::ServiceHost()));
    state.proxyHost = proxy.host;
    state.proxyPort = proxy.port;
    http.Request().ProxyServer = state.proxyHost;
    http.Request().ProxyPort = state.proxyPort;
    if (state.email.empty() || state.password.empty()) return false;
    state.loginReply =
        service::Exchange(http, service::CheckLoginUrl(service::ServiceHost(), state.email, state.password));
    if (!service::LoginSucceeded(state.loginReply)) {
        framework::ShowMessage(QString::fromLatin1(SWrongLogin));
        return false;
    }
    state.loginTail = service::LoginTail(state.loginReply);
    SaveCredentials(state);
    return true;
}

} // namespace qv::app
