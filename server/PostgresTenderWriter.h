#pragma once

#include "server/IndexTokenizer.h"
#include "server/PostgresConnection.h"
#include "server/TenderWriter.h"
#include "server/TermCounter.h"

#include <map>
#include <memory>
#include <utility>

namespace qv::server {

// Writes tenders into a PostgreSQL database: their rows with their words, their texts and the
// word counts. In bulk mode, for a new database, rows are gathered and sent with COPY.
class PostgresTenderWriter : public TenderWriter {
public:
    enum class Mode { OneByOne, Bulk };

    PostgresTenderWriter(std::unique_ptr<PostgresConnection> db, Mode mode);
    ~PostgresTenderWriter() override;

    // Takes the lock that imports into the database take in turn, inside the transaction.
    static void TakeWritersTurn(PostgresConnection& db);

    void Begin() override;
    void Commit() override;
    void Rollback() noexcept override;
    // Raises EUnindexableTender, before anything is written, for a tender whose words a tsvector
    // cannot hold.
    void Insert(const Tender& tender) override;
    void Replace(const Tender& tender) override;
    std::optional<Notice> FindNotice(const std::string& identifier) override;
    void RememberNotice(const std::string& identifier, int64_t tender, int version) override;
    int TenderDay(int64_t tender) override;
    int64_t LastTenderId(int64_t first, int64_t last) override;
    int64_t TenderCount() override;
    void Merge() override;

    PostgresConnection& Connection() { return *db_; }
    // Sends what bulk mode gathered and the word counts; the transaction stays open.
    void Flush();

private:
    static constexpr size_t kBulkRows = 2000;
    // Every change to a count leaves a row version behind until the transaction ends: the changes
    // are gathered in memory as long as they may be, and sent at once.
    static constexpr size_t kMaxTermChanges = 1000000;

    // The tsvector literal of the tender's words.
    std::string WordsOf(const Tender& tender);
    void CopyRows();
    void CountTerms(const Tender& tender, int change);
    void WriteTerms();

    std::unique_ptr<PostgresConnection> db_;
    const Mode mode_;
    IndexTokenizer tokenizer_;
    TermCounter terms_;
    // Changes to the word counts by (word, country), sent in one statement.
    std::map<std::pair<std::string, std::string>, int64_t> termChanges_;
    std::string bulkTenders_;
    std::string bulkTexts_;
    size_t bulkRows_ = 0;
};

} // namespace qv::server
