#pragma once

#include "server/SqliteConnection.h"
#include "server/SqliteStatement.h"
#include "server/TenderDatabase.h"

#include <memory>

namespace qv::server {

// The service's store in a SQLite file, read through its full-text index (FTS5) and word counts.
class SqliteTenderDatabase : public TenderDatabase {
public:
    // Raises ESqliteError for a file that is not a database of this service.
    static Kind Inspect(const std::string& path);

    // Opens a database of the current kind for reading.
    explicit SqliteTenderDatabase(const std::string& path);
    ~SqliteTenderDatabase() override;

    std::optional<Account> FindAccount(const std::string& email) override;

private:
    std::optional<StoredText> Text(int64_t id) override;
    Listing Day(int64_t day, const std::string& country, int64_t offset, int limit) override;
    Listing Matches(const std::vector<std::string>& words, const std::string& country, int64_t offset,
                    int limit) override;

    Listing MatchesInSnapshot(const std::vector<std::string>& words, const std::string& country,
                              int64_t offset, int limit);
    int64_t Count(SqliteStatement& count);
    std::vector<std::pair<int64_t, std::string>> Rows(SqliteStatement& page);

    SqliteConnection db_;
    std::unique_ptr<SqliteStatement> findAccount_;
    std::unique_ptr<SqliteStatement> findTender_;
    std::unique_ptr<SqliteStatement> countToday_;
    std::unique_ptr<SqliteStatement> pageToday_;
    std::unique_ptr<SqliteStatement> countWord_;
    std::unique_ptr<SqliteStatement> countWordEverywhere_;
    std::unique_ptr<SqliteStatement> countMatches_;
    std::unique_ptr<SqliteStatement> pageMatches_;
    std::unique_ptr<SqliteStatement> pageMatchesFromOldest_;
    std::unique_ptr<SqliteStatement> begin_;
    std::unique_ptr<SqliteStatement> commit_;
};

} // namespace qv::server
