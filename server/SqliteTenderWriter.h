#pragma once

#include "server/SqliteConnection.h"
#include "server/SqliteStatement.h"
#include "server/TenderStore.h"
#include "server/TenderWriter.h"

namespace qv::server {

// Writes imported notices into a SQLite file, one package in one transaction.
class SqliteTenderWriter : public TenderWriter {
public:
    // Opens the database at `path`, creating it with the demo accounts when it is missing.
    // Raises ESqliteError for a database of generated tenders or of an earlier version.
    explicit SqliteTenderWriter(const std::string& path);

    void Begin() override;
    void Commit() override;
    void Rollback() noexcept override;
    void Insert(const Tender& tender) override { store_.Insert(tender); }
    void Replace(const Tender& tender) override { store_.Replace(tender); }
    std::optional<Notice> FindNotice(const std::string& identifier) override;
    void RememberNotice(const std::string& identifier, int64_t tender, int version) override;
    int TenderDay(int64_t tender) override;
    int64_t LastTenderId(int64_t first, int64_t last) override;
    int64_t TenderCount() override;
    void Merge() override;

private:
    SqliteConnection db_;
    TenderStore store_;
    SqliteStatement find_;
    SqliteStatement remember_;
    SqliteStatement tenderDay_;
    SqliteStatement lastId_;
};

} // namespace qv::server
