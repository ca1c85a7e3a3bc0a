#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
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

    // Counts one tender's text, split by the index's tokenizer: StartTender, then AddWord with each
    // word as it comes, then EndTender. Each distinct word counts once for the country; a `change`
    // of -1 takes a tender out again. Counts are gathered in memory and written by Flush, or when
    // they pass a bound, so that memory stays bounded on a corpus of any size.
    void StartTender(const std::string& country, int change);
    void AddWord(std::string_view word);
    void EndTender();
    // Writes what was gathered, in word order, inside the caller's transaction.
    void Flush();
    // Forgets what was gathered, for a transaction that was rolled back.
    void Discard();

private:
    // Words and countries gathered between two flushes, at most, and the bytes of their words.
    static constexpr size_t kMaxPending = 200000;
    static constexpr size_t kMaxPendingBytes = 64 * 1024 * 1024;

    // One word in one country.
    struct Pending {
        uint64_t hash;
        // The first eight bytes of the word, big-endian and zero-padded: they order most words.
        uint64_t prefix;
        uint32_t wordBegin;
        uint32_t wordLength;
        uint32_t country;
        // The last tender that counted the word, so that a tender counts each word once.
        int64_t tender;
        int64_t change;
    };
    // A slot of the table that finds the entries: part of the hash, to pass most other entries
    // without reading them, and the entry's position plus one (0: empty).
    struct Slot {
        uint32_t hashTag;
        uint32_t entry;
    };

    Pending& Find(std::string_view word, uint32_t country);
    std::string_view WordOf(const Pending& pending) const {
        return {words_.data() + pending.wordBegin, pending.wordLength};
    }
    uint32_t CountryIndex(const std::string& country);
    void Grow();

    Writer write_;
    // The tender being counted, its country and its change.
    int64_t tender_ = 0;
    uint32_t country_ = 0;
    int change_ = 0;
    std::vector<std::string> countries_;
    std::vector<Pending> pending_;
    // The words of the entries, one after the other.
    std::string words_;
    // Open addressing, a power of two in size and at most half full.
    std::vector<Slot> slots_;
};

} // namespace qv::server
