#pragma once

#include "server/IndexTokenizer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qv::server {

// Keeps, for every indexed word and country, the number of tenders that hold the word, so that
// a one-word search learns its total without walking its matches: the cost of a search then
// stays that of one page, however large the corpus grows. The database keeps the counts; this
// gathers the changes to them.
class TermCounter {
public:
    // Adds `change` to the number of tenders of `country` that hold `word`, in the database.
    using Writer = std::function<void(const std::string& word, const std::string& country, int64_t change)>;

    explicit TermCounter(Writer write) : write_(std::move(write)) {}

    // Counts each distinct word of the text once for the country; a `change` of -1 takes a
    // tender out again. Counts are gathered in memory and written by Flush, or when
    // they pass a bound, so that memory stays bounded on a corpus of any size.
    void Count(const std::string& country, std::string_view text, int change);
    // Writes what was gathered, in word order, inside the caller's transaction.
    void Flush();
    // Forgets what was gathered, for a transaction that was rolled back.
    void Discard() {
        pending_.clear();
        countries_.clear();
    }

private:
    // Countries counted between two flushes; a new one past these flushes first.
    static constexpr size_t kCountrySlots = 24;
    static constexpr size_t kMaxPendingWords = 200000;

    struct Pending {
        // The last tender that counted the word, so that a tender counts each word once.
        int64_t tender = 0;
        std::array<int32_t, kCountrySlots> byCountry{};
    };
    struct WordHash {
        using is_transparent = void;
        size_t operator()(std::string_view word) const { return std::hash<std::string_view>()(word); }
    };

    size_t Slot(const std::string& country);

    IndexTokenizer tokenizer_;
    Writer write_;
    int64_t tender_ = 0;
    // The countries of the slots.
    std::vector<std::string> countries_;
    std::unordered_map<std::string, Pending, WordHash, std::equal_to<>> pending_;
};

} // namespace qv::server
