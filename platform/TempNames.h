#pragma once

#include <string>

namespace qv::platform {

// The user's temporary folder, always ending in a path separator.
std::string TempFolder();

// A newly created GUID in its registry text form: 38 characters, upper-case hex digits in braces.
std::string NewGuidText();

} // namespace qv::platform
