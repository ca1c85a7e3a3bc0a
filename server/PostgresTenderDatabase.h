#pragma once

#include "server/PostgresConnection.h"
#include "server/TenderDatabase.h"

#include <functional>
#include <memory>
#include <mutex>

namespace qv::server {

// The service's store in a PostgreSQL database, read through the GIN index of each tender's
// words and the word counts. Several services may read one database while one of them imports:
// every listing is read in one snapshot, so a package shows wholly or not at all, and imports
// are announced on a channel, so that replies given before can be forgotten.
class PostgresTenderDatabase : public TenderDatabase {
public:
    explicit PostgresTenderDatabase(const std::string& conninfo);
    ~PostgresTenderDatabase() override;

    std::optional<Account> FindAccount(const std::string& email) override;
    // May be called from any thread, while another reads.
    bool Changed() override;

private:
    PostgresTenderDatabase(std::unique_ptr<PostgresConnection> db, const std::string& conninfo);

    std::optional<StoredText> Text(int64_t id) override;
    Listing Day(int64_t day, const std::string& country, int64_t offset, int limit) override;
    Listing Matches(const std::vector<std::string>& words, const std::string& country, int64_t offset,
                    int limit) override;
    struct Statement {
        std::string name;
        std::vector<std::string> parameters;
    };
    // What `read` reads, in one snapshot.
    Listing InSnapshot(const std::function<Listing()>& read);
    int64_t Count(const Statement& count);
    std::vector<std::pair<int64_t, std::string>> Rows(const Statement& page);

    std::unique_ptr<PostgresConnection> db_;
    // Hears the announcements apart from the reading, from any thread.
    std::mutex listenerMutex_;
    PostgresConnection listener_;
};

} // namespace qv::server
