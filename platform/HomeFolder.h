#pragma once

#include <string>

namespace qv::platform {

// The user's home folder: $HOME when it is an absolute path, else the one the system's user list
// gives the user; empty when neither does. Never relative, so that nothing found below it comes
// from the current folder.
std::string HomeFolder();

} // namespace qv::platform
