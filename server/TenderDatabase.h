#pragma once

#include "server/IndexTokenizer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv::server {

// Reads the service's store: accounts, tenders and their full-text index, in UTF-8. What the
// service asks is decided here once; each kind of database answers in its own SQL. One object is
// one connection; it is not shared between threads without a lock.
class TenderDatabase {
public:
    enum class Kind {
        Missing,
        // Made by an earlier version of the service, which only ever generated its corpus.
        Outdated,
        Generated,
        Imported,
    };

    struct Account {
        std::string passwordHash;
        std::string name;
        std::string word;
        // Comma-separated, as the login reply lists them.
        std::string keywords;
    };

    // One page of a listing: the total of all matches and the (id, title) pairs.
    struct Listing {
        int64_t total = 0;
        std::vector<std::pair<int64_t, std::string>> rows;
    };

    // A keyword of more words than this is cut: each word costs one index walk.
    static constexpr size_t kMaxWords = 16;

    virtual ~TenderDatabase() = default;
    TenderDatabase(const TenderDatabase&) = delete;
    TenderDatabase& operator=(const TenderDatabase&) = delete;

    virtual std::optional<Account> FindAccount(const std::string& email) = 0;
    // The full text of a tender, its dates filled in.
    std::optional<std::string> FullText(int64_t id);
    // Tenders published today; `country` "EU" stands for all countries.
    Listing ListToday(const std::string& country, int64_t offset, int limit);
    // Tenders whose title or text hold every word of the keyword.
    Listing Search(std::string_view keyword, const std::string& country, int64_t offset, int limit);
    // True once after another connection changed the tenders, so that replies given before may
    // be outdated. May be called from any thread, while another reads.
    virtual bool Changed() { return false; }

    // The words a keyword searches for, as the index splits and folds them: the first kMaxWords
    // different ones, in order. No character of the keyword can so form query syntax.
    std::vector<std::string> SearchWords(std::string_view keyword) const;

protected:
    // Generated corpora count days from the current day, imported ones keep calendar days.
    explicit TenderDatabase(bool relativeDates) : relativeDates_(relativeDates) {}

    struct StoredText {
        int day;
        std::string text;
    };
    virtual std::optional<StoredText> Text(int64_t id) = 0;
    // Tenders of the day, newest first; `country` is "EU" or a country code.
    virtual Listing Day(int64_t day, const std::string& country, int64_t offset, int limit) = 0;
    // Tenders that hold every word (at least one, sorted, no repeats), newest first.
    virtual Listing Matches(const std::vector<std::string>& words, const std::string& country, int64_t offset,
                            int limit) = 0;

    // Where a page of a newest-first listing is read from: `count` rows after the `skip` before
    // them at the nearer end. Read from the oldest end, the rows come oldest first and are turned
    // round.
    struct PageEnd {
        int64_t count;
        int64_t skip;
        bool oldestFirst;
    };
    // None when the page at `offset` of `total` rows is empty.
    static std::optional<PageEnd> NearerEnd(int64_t total, int64_t offset, int limit);

private:
    const bool relativeDates_;
    IndexTokenizer tokenizer_;
};

} // namespace qv::server
