#include "server/SqliteTenderWriter.h"

#include "server/SqliteTenderDatabase.h"
#include "server/TenderIndex.h"

#include <sqlite3.h>

namespace qv::server {

namespace {

constexpr const char* kNoticeSchema =
    "CREATE TABLE notice(identifier TEXT PRIMARY KEY, tender INTEGER NOT NULL, version INTEGER NOT NULL) "
    "WITHOUT ROWID";

SqliteConnection OpenForImport(const std::string& path) {
    switch (SqliteTenderDatabase::Inspect(path)) {
    case TenderDatabase::Kind::Missing:
        TenderStore::CreateFile(path, TenderStore::Dates::Absolute,
                                [](sqlite3* db) { SqliteStatement::Execute(db, kNoticeSchema); });
        break;
    case TenderDatabase::Kind::Generated:
    case TenderDatabase::Kind::Outdated:
        throw ESqliteError(path + ": holds generated tenders; import into a new database");
    case TenderDatabase::Kind::Imported:
        break;
    }
    SqliteConnection db = OpenSqlite(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
    // A package's writes stay in memory until it commits, instead of spilling to the journal.
    SqliteStatement::Execute(db.get(), "PRAGMA cache_size=-65536");
    return db;
}

int64_t IntOf(SqliteStatement& statement) {
    const int64_t value = statement.Step() ? statement.Int(0) : 0;
    statement.Reset();
    return value;
}

} // namespace

SqliteTenderWriter::SqliteTenderWriter(const std::string& path)
    : db_(OpenForImport(path)), store_(db_.get()),
      find_(db_.get(), "SELECT tender, version FROM notice WHERE identifier = ?1"),
      remember_(db_.get(), "INSERT OR REPLACE INTO notice(identifier, tender, version) VALUES(?1, ?2, ?3)"),
      tenderDay_(db_.get(), "SELECT day FROM tender WHERE id = ?1"),
      lastId_(db_.get(), "SELECT coalesce(max(id), 0) FROM tender WHERE id BETWEEN ?1 AND ?2") {}

void SqliteTenderWriter::Begin() {
    SqliteStatement::Execute(db_.get(), "BEGIN IMMEDIATE");
}

void SqliteTenderWriter::Commit() {
    store_.Flush();
    SqliteStatement::Execute(db_.get(), "COMMIT");
}

void SqliteTenderWriter::Rollback() noexcept {
    sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    store_.Discard();
}

std::optional<TenderWriter::Notice> SqliteTenderWriter::FindNotice(const std::string& identifier) {
    find_.Bind(1, identifier);
    std::optional<Notice> known;
    if (find_.Step()) known = Notice{find_.Int(0), static_cast<int>(find_.Int(1))};
    find_.Reset();
    return known;
}

void SqliteTenderWriter::RememberNotice(const std::string& identifier, int64_t tender, int version) {
    remember_.Bind(1, identifier).Bind(2, tender).Bind(3, int64_t{version}).Step();
    remember_.Reset();
}

int SqliteTenderWriter::TenderDay(int64_t tender) {
    tenderDay_.Bind(1, tender);
    return static_cast<int>(IntOf(tenderDay_));
}

int64_t SqliteTenderWriter::LastTenderId(int64_t first, int64_t last) {
    lastId_.Bind(1, first).Bind(2, last);
    return IntOf(lastId_);
}

int64_t SqliteTenderWriter::TenderCount() {
    SqliteStatement count(db_.get(), "SELECT count(*) FROM tender");
    return IntOf(count);
}

void SqliteTenderWriter::Merge() {
    TenderIndex::Merge(db_.get());
}

} // namespace qv::server
