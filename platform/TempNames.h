#pragma once

#include <string>

namespace qv::platform {

// The user's temporary folder, always ending in a path separator.
std::string TempFolder();

} // namespace qv::platform
