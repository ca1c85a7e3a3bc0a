#pragma once

#include <string>

namespace qv::platform {

// Writes all of the bytes to the descriptor, going on after interruptions; false on failure.
bool WriteAll(int fd, const std::string& bytes);
// Makes the folder and its missing parents, the new ones private to the user (0700); true when
// the folder exists afterwards.
bool MakePrivateFolders(const std::string& folder);
// Writes the bytes to a new private file (0600) beside path, flushes it, and renames it over
// path, so that a reader or a crash sees either the old bytes or the new ones.
bool ReplaceFile(const std::string& path, const std::string& bytes);

} // namespace qv::platform
