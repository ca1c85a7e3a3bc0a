#pragma once

#include "service/ClientState.h"

namespace qv::app {

// The registry key that remembers the account, below the current user's root.
inline constexpr const char* kCredentialKey = "\\Software\\Quorvane\\QVN";

// Sets email and password from the store when its key opens (it is created when missing); when
// it does not open, nothing changes. A stored value that is not text raises ERegistryException.
void LoadCredentials(service::ClientState& state);
// Writes email and password when the key opens; a value that cannot be written raises
// ERegistryException, and a key that does not open leaves the account unremembered.
void SaveCredentials(const service::ClientState& state);

} // namespace qv::app
