#include "windows/AccountDetails.h"

namespace qv::windows {

namespace {
constexpr const char* kSeparator = "{{}}";
constexpr size_t kSeparatorLength = 4;
} // namespace

AccountDetails ParseAccountDetails(const std::string& loginTail) {
    AccountDetails details;
    const size_t found = loginTail.find(kSeparator);
    // Taking the last length - pos - 3 characters, with pos counted from 1 and 0 when absent,
    // starts after the separator, or at the fourth character when there is none.
    const size_t start = found == std::string::npos ? kSeparatorLength - 1 : found + kSeparatorLength;
    if (found != std::string::npos) details.name = loginTail.substr(0, found);
    const std::string text = start < loginTail.size() ? loginTail.substr(start) : std::string();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string::npos) comma = text.size();
        if (comma > pos) details.keywords.push_back(text.substr(pos, comma - pos));
        pos = comma + 1;
    }
    return details;
}

} // namespace qv::windows
