#include "windows/ResultPaging.h"

namespace qv::windows {

int32_t PageCount(int32_t total) {
    // Division truncates toward zero, which already rounds a negative quotient up.
    return total > 0 ? (total - 1) / kTendersPerPage + 1 : total / kTendersPerPage;
}

std::string ResultCaption(const std::string& keyword, int32_t total) {
    return (keyword.empty() ? "Todays tenders: " : "Search results: ") + std::to_string(total) +
           " tenders found.";
}

std::string PageLine(int32_t page, int32_t pages) {
    return "Page " + std::to_string(page) + " of " + std::to_string(pages);
}

} // namespace qv::windows
