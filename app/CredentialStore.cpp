#include "app/CredentialStore.h"

#include "framework/Registry.h"

namespace qv::app {

void LoadCredentials(service::ClientState& state) {
    framework::TRegistry registry;
    if (!registry.OpenKey(kCredentialKey, true)) return;
    state.email = registry.ReadString("email");
    state.password = registry.ReadString("password");
}

void SaveCredentials(const service::ClientState& state) {
    framework::TRegistry registry;
    if (!registry.OpenKey(kCredentialKey, true)) return;
    registry.WriteString("email", state.email);
    registry.WriteString("password", state.password);
}

} // namespace qv::app
