#pragma once

#include <string>
#include <unistd.h>
#include <vector>

namespace qv::platform {

// Where a program finds the files it ships with, relative to its own executable: beside it, as
// in the build tree, or in the private folder of the installed program, lib/quorvane/ next to its
// bin/ (/usr/bin/quorvane uses /usr/lib/quorvane/, ~/.local/bin/quorvane ~/.local/lib/quorvane/).
// Nothing is looked for in the current folder.
std::vector<std::string> CompanionFolders(const std::string& programPath);

// The first file of that name in the program's companion folders that access() grants the mode,
// or an empty text.
std::string FindCompanionFile(const std::string& programPath, const std::string& name, int mode = R_OK);

} // namespace qv::platform
