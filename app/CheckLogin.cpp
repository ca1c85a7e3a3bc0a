#include "app/CheckLogin.h"

#include "app/CredentialStore.h"
#include "framework/gui/MessageBox.h"
#include "service/FindProxy.h"
#include "service/ServiceHost.h"
#include "service/ServiceRequests.h"

namespace qv::app {

bool CheckLogin(service::ClientState& state, http::TIdHTTP& http) {
    if (state.email.empty() && state.password.empty()) LoadCredentials(state);
    const service::ProxySetting proxy = service::FindProxy(service::ServiceScheme(state.serviceHost));
    state.proxyHost = proxy.host;
    state.proxyPort = proxy.port;
    if (state.email.empty() || state.password.empty()) return false;
    if (!service::CheckLogin(http, state)) {
        framework::ShowMessage(QString::fromLatin1(SWrongLogin));
        return false;
    }
    SaveCredentials(state);
    return true;
}

} // namespace qv::app
