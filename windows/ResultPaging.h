#pragma once

#include <cstdint>
#include <string>

namespace qv::windows {

// Tenders counted to one page when the number of pages is worked out.
inline constexpr int32_t kTendersPerPage = 20;

// The smallest whole number of pages not below total / 20, in integer arithmetic: 0 tenders
// give 0 pages, 1 to 20 give 1, 21 give 2.
int32_t PageCount(int32_t total);
// "Todays tenders: N tenders found." for an empty keyword, else "Search results: N tenders found.".
std::string ResultCaption(const std::string& keyword, int32_t total);
// "Page P of N".
std::string PageLine(int32_t page, int32_t pages);

} // namespace qv::windows
