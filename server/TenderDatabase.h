#pragma once

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

// The service's store: accounts, tenders and their full-text index, in UTF-8.
// One object is one connection; it is not shared between threads without a lock.
class TenderDatabase {
public:
    struct Account {
        std::string passwordHash;
        std::string name;
        std::string word;
        // Comma-separated, as the login reply lists them.
        std::string keywords;
    };

    struct StoredTender {
        int age = 0;
        std::string text;
    };

    // One page of a listing: the total of all matches and the (id, title) pairs.
    struct Listing {
        int64_t total = 0;
        std::vector<std::pair<int64_t, std::string>> rows;
    };

    // Builds a fresh database at `path` from the seed. The file appears only when it is
    // complete, so an interrupted run leaves no half-filled database behind.
    static void Create(const std::string& path, uint64_t seed);

    // Opens an existing database for reading.
    explicit TenderDatabase(const std::string& path);
    ~TenderDatabase();
    TenderDatabase(const TenderDatabase&) = delete;
    TenderDatabase& operator=(const TenderDatabase&) = delete;

    std::optional<Account> FindAccount(const std::string& email);
    std::optional<StoredTender> FindTender(int64_t id);
    // Tenders published `age` days ago; `country` "EU" stands for all countries.
    Listing ListPublished(int age, const std::string& country, int64_t offset, int limit);
    // Tenders whose title or text hold every word of the keyword.
    Listing Search(std::string_view keyword, const std::string& country, int64_t offset, int limit);

    // The full-text query for a keyword: each run of letters and digits becomes one quoted
    // term, so that no character of the keyword can form query syntax. Empty when the
    // keyword holds no word.
    static std::string FullTextQuery(std::string_view keyword);

private:
    Listing RunListing(SqliteStatement& count, SqliteStatement& page, int64_t offset, int limit);

    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db_;
    std::unique_ptr<SqliteStatement> findAccount_;
    std::unique_ptr<SqliteStatement> findTender_;
    std::unique_ptr<SqliteStatement> countPublished_;
    std::unique_ptr<SqliteStatement> pagePublished_;
    std::unique_ptr<SqliteStatement> countMatches_;
    std::unique_ptr<SqliteStatement> countAllMatches_;
    std::unique_ptr<SqliteStatement> pageMatches_;
};

} // namespace qv::server
