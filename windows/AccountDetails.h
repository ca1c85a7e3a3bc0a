#pragma once

#include <string>
#include <vector>

namespace qv::windows {

// Keyword links in the main window.
inline constexpr int kKeywordLinks = 10;

// The account details of a login reply taken apart: the display name before the first "{{}}",
// and the keywords after it split at commas, empty ones left out, each kept as it stands.
struct AccountDetails {
    std::string name;
    std::vector<std::string> keywords;
};

// Without "{{}}" the name is empty and the keyword text starts at the details' fourth character.
AccountDetails ParseAccountDetails(const std::string& loginTail);

} // namespace qv::windows
