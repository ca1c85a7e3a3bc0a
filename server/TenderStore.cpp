#include "server/TenderStore.h"

#include "server/CorpusGenerator.h"
#include "server/Cp1252.h"
#include "server/SqliteConnection.h"
#include "server/TenderIndex.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::server {

namespace {

// The full texts live apart from the listing columns, so that the rows a listing walks
// through stay small.
constexpr const char* kSchema = R"sql(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE account(email TEXT PRIMARY KEY COLLATE NOCASE, password_hash TEXT NOT NULL, name TEXT NOT NULL,
                     word TEXT NOT NULL, keywords TEXT NOT NULL);
CREATE TABLE tender(id INTEGER PRIMARY KEY, country TEXT NOT NULL, day INTEGER NOT NULL, title TEXT NOT NULL);
CREATE TABLE tender_text(id INTEGER PRIMARY KEY, text TEXT NOT NULL);
CREATE INDEX tender_by_day ON tender(day, country);
CREATE TABLE term(word TEXT NOT NULL, country TEXT NOT NULL, tenders INTEGER NOT NULL,
                  PRIMARY KEY(word, country)) WITHOUT ROWID;
)sql";

// Pages kept in memory while a new database is built, in KiB.
constexpr int kBuildCacheKiB = 65536;
// The database holds the accounts' password hashes.
constexpr mode_t kDatabaseMode = 0600;

// Adds to the count of tenders of a country that hold a word, for `rows` words.
std::string AddTerms(size_t rows) {
    std::string sql = "INSERT INTO term(word, country, tenders) VALUES";
    for (size_t row = 0; row < rows; ++row)
        sql += row ? ",(?,?,?)" : "(?,?,?)";
    return sql + " ON CONFLICT(word, country) DO UPDATE SET tenders = tenders + excluded.tenders";
}

} // namespace

void TenderStore::CreateTables(sqlite3* db, Dates dates) {
    SqliteStatement::Execute(db, kSchema);
    // The connection that makes the index may go on to fill it.
    IndexWordTap::Of(db);
    SqliteStatement::Execute(db, TenderIndex::Schema().c_str());
    SqliteStatement meta(db, "INSERT INTO meta VALUES(?1, ?2)");
    meta.Bind(1, std::string("format")).Bind(2, std::string(kFormat)).Step();
    meta.Reset();
    meta.Bind(1, std::string("dates"))
        .Bind(2, std::string(dates == Dates::Relative ? "relative" : "absolute"));
    meta.Step();
    SqliteStatement account(db, "INSERT INTO account VALUES(?1, ?2, ?3, ?4, ?5)");
    const auto& demos = CorpusGenerator::DemoAccounts();
    const std::vector<std::string> hashes = CorpusGenerator::DemoPasswordHashes();
    for (size_t i = 0; i < demos.size(); ++i) {
        account.Bind(1, demos[i].email).Bind(2, hashes[i]).Bind(3, demos[i].name).Bind(4, demos[i].word);
        account.Bind(5, demos[i].KeywordList()).Step();
        account.Reset();
    }
}

void TenderStore::CreateFile(const std::string& path, Dates dates,
                             const std::function<void(sqlite3*)>& fill) {
    const std::string building = path + ".building";
    std::remove(building.c_str());
    // Made here, new and private, for SQLite to fill: SQLite would make it readable by others
    // (as far as the umask lets it) and follow a link found at the name.
    const int fd =
        ::open(building.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kDatabaseMode);
    if (fd < 0) throw ESqliteError(building + ": " + std::strerror(errno));
    ::close(fd);
    try {
        SqliteConnection db =
            OpenSqlite(building, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
        // The file is thrown away when anything fails, so it needs no journal.
        SqliteStatement::Execute(db.get(),
                                 ("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-" +
                                  std::to_string(kBuildCacheKiB))
                                     .c_str());
        SqliteStatement::Execute(db.get(), "BEGIN");
        CreateTables(db.get(), dates);
        fill(db.get());
        SqliteStatement::Execute(db.get(), "COMMIT");
    } catch (...) {
        std::remove(building.c_str());
        throw;
    }
    if (std::rename(building.c_str(), path.c_str()) != 0) {
        std::remove(building.c_str());
        throw ESqliteError(path + ": cannot move the new database into place");
    }
}

void TenderStore::CreateGenerated(const std::string& path, const CorpusGenerator& generator,
                                  const std::function<void(int64_t)>& progress) {
    CreateFile(path, Dates::Relative, [&](sqlite3* db) {
        SqliteStatement meta(db, "INSERT INTO meta VALUES('seed', ?1)");
        meta.Bind(1, std::to_string(generator.Seed())).Step();
        TenderStore store(db);
        int64_t written = 0;
        generator.Generate([&](const Tender& tender) {
            store.Insert(tender);
            if (++written % kProgressStep == 0 && progress) progress(written);
        });
        store.Flush();
        TenderIndex::Merge(db);
    });
}

TenderStore::TenderStore(sqlite3* db)
    : wordTap_(IndexWordTap::Of(db)),
      insertTender_(db, "INSERT INTO tender(id, country, day, title) VALUES(?1, ?2, ?3, ?4)"),
      insertText_(db, "INSERT INTO tender_text(id, text) VALUES(?1, ?2)"),
      updateTender_(db, "UPDATE tender SET country = ?2, day = ?3, title = ?4 WHERE id = ?1"),
      updateText_(db, "UPDATE tender_text SET text = ?2 WHERE id = ?1"),
      findTender_(db,
                  "SELECT country, day, title, text FROM tender JOIN tender_text USING(id) WHERE id = ?1"),
      index_(db, "INSERT INTO tender_index(rowid, text, country) VALUES(?1, ?2, ?3)"),
      // The index holds no copy of its texts: taking a row out names the words it held.
      unindex_(db,
               "INSERT INTO tender_index(tender_index, rowid, text, country) VALUES('delete', ?1, ?2, ?3)"),
      addTerm_(db, AddTerms(1).c_str()), addTerms_(db, AddTerms(kTermBatch).c_str()),
      terms_([this](const std::string& word, const std::string& country, int64_t change) {
          termChanges_.push_back({word, country, change});
          if (termChanges_.size() == kTermBatch) WriteTermBatch();
      }) {}

void TenderStore::WriteTermBatch() {
    for (size_t i = 0; i < kTermBatch; ++i) {
        const TermChange& row = termChanges_[i];
        const int first = static_cast<int>(3 * i + 1);
        addTerms_.BindView(first, row.word).BindView(first + 1, row.country).Bind(first + 2, row.change);
    }
    addTerms_.Step();
    addTerms_.Reset();
    termChanges_.clear();
}

void TenderStore::WriteTermsLeft() {
    for (const TermChange& row : termChanges_) {
        addTerm_.BindView(1, row.word).BindView(2, row.country).Bind(3, row.change).Step();
        addTerm_.Reset();
    }
    termChanges_.clear();
}

void TenderStore::Index(const Tender& tender, int change) {
    Indexing row{tender.id, change, Utf8WithPlainLatin(tender.text), tender.country};
    pendingBytes_ += row.text.size();
    pending_.push_back(std::move(row));
    if (pending_.size() >= kMaxPendingRows || pendingBytes_ >= kMaxPendingBytes) WriteIndex();
}

void TenderStore::WriteIndex() {
    // Stable, so that a row given up and taken again keeps its order.
    std::stable_sort(pending_.begin(), pending_.end(),
                     [](const Indexing& a, const Indexing& b) { return a.id < b.id; });
    // The word counts take each text's words as the index splits it.
    for (const auto& row : pending_) {
        SqliteStatement& statement = row.change > 0 ? index_ : unindex_;
        terms_.StartTender(row.country, row.change);
        wordTap_.Hear(
            row.text, [this](std::string_view word) { terms_.AddWord(word); },
            [&] {
                statement.Bind(1, row.id)
                    .BindView(2, row.text)
                    .Bind(3, TenderIndex::CountryWord(row.country))
                    .Step();
            });
        statement.Reset();
        terms_.EndTender();
    }
    pending_.clear();
    pendingBytes_ = 0;
}

void TenderStore::WriteRows(SqliteStatement& row, SqliteStatement& text, const Tender& tender) {
    row.Bind(1, tender.id)
        .Bind(2, tender.country)
        .Bind(3, int64_t{tender.day})
        .BindView(4, tender.title)
        .Step();
    row.Reset();
    text.Bind(1, tender.id).BindView(2, tender.text).Step();
    text.Reset();
    Index(tender, 1);
}

void TenderStore::Insert(const Tender& tender) {
    WriteRows(insertTender_, insertText_, tender);
}

void TenderStore::Replace(const Tender& tender) {
    findTender_.Bind(1, tender.id);
    if (!findTender_.Step()) {
        findTender_.Reset();
        throw ESqliteError("no tender " + std::to_string(tender.id) + " to replace");
    }
    Tender old{tender.id, findTender_.Text(0), static_cast<int>(findTender_.Int(1)), findTender_.Text(2),
               findTender_.Text(3)};
    findTender_.Reset();
    Index(old, -1);
    WriteRows(updateTender_, updateText_, tender);
}

void TenderStore::Flush() {
    WriteIndex();
    terms_.Flush();
    WriteTermsLeft();
}

void TenderStore::Discard() {
    pending_.clear();
    pendingBytes_ = 0;
    terms_.Discard();
    termChanges_.clear();
}

} // namespace qv::server
