#pragma once

#include "server/IndexTokenizer.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct sqlite3;

namespace qv::server {

class SqliteStatement;

// Reads the service's store: accounts, tenders and their full-text index, in UTF-8.
// One object is one connection; it is not shared between threads without a lock.
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

    // Raises ESqliteError for a file that is not a database of this service.
    static Kind Inspect(const std::string& path);

    // Opens a database of the current kind for reading.
    explicit TenderDatabase(const std::string& path);
    ~TenderDatabase();
    TenderDatabase(const TenderDatabase&) = delete;
    TenderDatabase& operator=(const TenderDatabase&) = delete;

    std::optional<Account> FindAccount(const std::string& email);
    // The full text of a tender, its dates filled in.
    std::optional<std::string> FullText(int64_t id);
    // Tenders published today; `country` "EU" stands for all countries.
    Listing ListToday(const std::string& country, int64_t offset, int limit);
    // Tenders whose title or text hold every word of the keyword.
    Listing Search(std::string_view keyword, const std::string& country, int64_t offset, int limit);

    // The full-text query for a keyword: each run of letters and digits becomes one quoted
    // term, so that no character of the keyword can form query syntax. Empty when the
    // keyword holds no word.
    static std::string FullTextQuery(std::string_view keyword);

private:
    int64_t Count(SqliteStatement& count);
    std::vector<std::pair<int64_t, std::string>> Rows(SqliteStatement& page);

    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db_;
    // Generated corpora count days from the current day.
    bool relativeDates_ = false;
    IndexTokenizer tokenizer_;
    std::vector<std::string> words_;
    std::unique_ptr<SqliteStatement> findAccount_;
    std::unique_ptr<SqliteStatement> findTender_;
    std::unique_ptr<SqliteStatement> countToday_;
    std::unique_ptr<SqliteStatement> pageToday_;
    std::unique_ptr<SqliteStatement> countWord_;
    std::unique_ptr<SqliteStatement> countWordEverywhere_;
    std::unique_ptr<SqliteStatement> countMatches_;
    std::unique_ptr<SqliteStatement> pageMatches_;
};

} // namespace qv::server
