#include "server/TermCounter.h"

#include <algorithm>

namespace qv::server {

size_t TermCounter::Slot(const std::string& country) {
    for (size_t slot = 0; slot < countries_.size(); ++slot)
        if (countries_[slot] == country) return slot;
    if (countries_.size() == kCountrySlots) Flush();
    countries_.push_back(country);
    return countries_.size() - 1;
}

void TermCounter::Count(const std::string& country, std::string_view text, int change) {
    const size_t slot = Slot(country);
    ++tender_;
    const auto count = [&](std::string_view word) {
        auto found = pending_.find(word);
        if (found == pending_.end()) found = pending_.emplace(word, Pending{}).first;
        Pending& pending = found->second;
        if (pending.tender == tender_) return;
        pending.tender = tender_;
        pending.byCountry[slot] += change;
    };
    tokenizer_.Words(text, count);
    if (pending_.size() > kMaxPendingWords) Flush();
}

void TermCounter::Flush() {
    // In word order, which is the table's order, the rows go in without jumping about its tree.
    std::vector<const std::pair<const std::string, Pending>*> sorted;
    sorted.reserve(pending_.size());
    for (const auto& entry : pending_)
        sorted.push_back(&entry);
    std::sort(sorted.begin(), sorted.end(), [](const auto* a, const auto* b) { return a->first < b->first; });
    for (const auto* entry : sorted)
        for (size_t slot = 0; slot < countries_.size(); ++slot) {
            if (entry->second.byCountry[slot] != 0)
                write_(entry->first, countries_[slot], entry->second.byCountry[slot]);
        }
    pending_.clear();
    countries_.clear();
}

} // namespace qv::server
