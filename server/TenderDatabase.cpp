#include "server/TenderDatabase.h"

#include "framework/DateTime.h"
#include "server/CorpusGenerator.h"
#include "server/TenderIndex.h"

#include <algorithm>
#include <cmath>

namespace qv::server {

namespace {

int CurrentDay() {
    return static_cast<int>(std::floor(framework::Now()));
}

bool IsCountryFilter(const std::string& country) {
    return country == "EU" || TenderIndex::IsCountryCode(country);
}

} // namespace

std::optional<std::string> TenderDatabase::FullText(int64_t id) {
    auto stored = Text(id);
    if (!stored) return std::nullopt;
    return relativeDates_ ? ResolveNoticeDates(stored->text, CurrentDay() + stored->day)
                          : std::move(stored->text);
}

TenderDatabase::Listing TenderDatabase::ListToday(const std::string& country, int64_t offset, int limit) {
    if (!IsCountryFilter(country)) return {};
    return Day(relativeDates_ ? 0 : CurrentDay(), country, offset, limit);
}

TenderDatabase::Listing TenderDatabase::Search(std::string_view keyword, const std::string& country,
                                               int64_t offset, int limit) {
    if (!IsCountryFilter(country)) return {};
    std::vector<std::string> words = SearchWords(keyword);
    if (words.empty()) return {};
    std::sort(words.begin(), words.end());
    return Matches(words, country, offset, limit);
}

std::optional<TenderDatabase::PageEnd> TenderDatabase::NearerEnd(int64_t total, int64_t offset, int limit) {
    const int64_t count = std::min<int64_t>(limit, total - offset);
    if (count <= 0) return std::nullopt;
    const int64_t fromOldest = total - offset - count;
    if (fromOldest < offset) return PageEnd{count, fromOldest, true};
    return PageEnd{count, offset, false};
}

std::vector<std::string> TenderDatabase::SearchWords(std::string_view keyword) const {
    std::vector<std::string> words;
    tokenizer_.Words(keyword, [&](std::string_view word) {
        if (words.size() < kMaxWords && std::find(words.begin(), words.end(), word) == words.end())
            words.emplace_back(word);
    });
    return words;
}

} // namespace qv::server
