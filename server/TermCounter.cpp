#include "server/TermCounter.h"

#include <algorithm>

namespace qv::server {

namespace {

// Words of the index never hold it, so that a key splits back into word and country.
constexpr char kSeparator = '\x1F';

} // namespace

TermCounter::TermCounter(sqlite3* db)
    : tokenizer_(db),
      add_(db, "INSERT INTO term(word, country, tenders) VALUES(?1, ?2, ?3) "
               "ON CONFLICT(word, country) DO UPDATE SET tenders = tenders + excluded.tenders") {}

void TermCounter::Count(const std::string& country, std::string_view title, std::string_view text,
                        int change) {
    words_.clear();
    tokenizer_.Words(title, words_);
    tokenizer_.Words(text, words_);
    std::sort(words_.begin(), words_.end());
    words_.erase(std::unique(words_.begin(), words_.end()), words_.end());
    std::string key;
    for (const auto& word : words_) {
        key.assign(word).append(1, kSeparator).append(country);
        pending_[key] += change;
    }
    if (pending_.size() > kMaxPendingWords) Flush();
}

void TermCounter::Flush() {
    // In key order, which is the table's order, the rows go in without jumping about its tree.
    std::vector<std::pair<std::string, int64_t>> sorted(pending_.begin(), pending_.end());
    pending_.clear();
    std::sort(sorted.begin(), sorted.end());
    for (const auto& [key, change] : sorted) {
        if (change == 0) continue;
        const size_t separator = key.find(kSeparator);
        add_.Bind(1, key.substr(0, separator)).Bind(2, key.substr(separator + 1)).Bind(3, change).Step();
        add_.Reset();
    }
}

} // namespace qv::server
