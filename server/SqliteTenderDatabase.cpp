#include "server/SqliteTenderDatabase.h"

#include "server/TenderIndex.h"
#include "server/TenderStore.h"

#include <algorithm>
#include <sqlite3.h>
#include <sys/stat.h>

namespace qv::server {

namespace {

// Newest first: ids grow with publication day.
constexpr const char* kCountToday =
    "SELECT count(*) FROM tender WHERE day = ?1 AND (?2 = 'EU' OR country = ?2)";
constexpr const char* kPageToday =
    "SELECT id, title FROM tender WHERE day = ?1 AND (?2 = 'EU' OR country = ?2) "
    "ORDER BY id DESC LIMIT ?3 OFFSET ?4";
// A search of one word reads its total from the word counts; others count their matches.
constexpr const char* kCountWord = "SELECT tenders FROM term WHERE word = ?1 AND country = ?2";
constexpr const char* kCountWordEverywhere = "SELECT coalesce(sum(tenders), 0) FROM term WHERE word = ?1";
constexpr const char* kCountMatches = "SELECT count(*) FROM tender_index WHERE tender_index MATCH ?1";
constexpr const char* kPageMatches =
    "SELECT tender.id, tender.title FROM tender_index "
    "JOIN tender ON tender.id = tender_index.rowid WHERE tender_index MATCH ?1 "
    "ORDER BY tender_index.rowid DESC LIMIT ?2 OFFSET ?3";
constexpr const char* kPageMatchesFromOldest =
    "SELECT tender.id, tender.title FROM tender_index "
    "JOIN tender ON tender.id = tender_index.rowid WHERE tender_index MATCH ?1 "
    "ORDER BY tender_index.rowid ASC LIMIT ?2 OFFSET ?3";

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::optional<std::string> MetaValue(sqlite3* db, const char* key) {
    SqliteStatement find(db, "SELECT value FROM meta WHERE key = ?1");
    find.Bind(1, std::string(key));
    if (!find.Step()) return std::nullopt;
    return find.Text(0);
}

} // namespace

TenderDatabase::Kind SqliteTenderDatabase::Inspect(const std::string& path) {
    if (!Exists(path)) return Kind::Missing;
    SqliteConnection db = OpenSqlite(path, SQLITE_OPEN_READONLY);
    std::optional<std::string> format;
    try {
        format = MetaValue(db.get(), "format");
    } catch (const ESqliteError&) {
        throw ESqliteError(path + ": not a database of quorvane-service");
    }
    if (!format) {
        if (!MetaValue(db.get(), "seed")) throw ESqliteError(path + ": not a database of quorvane-service");
        return Kind::Outdated;
    }
    if (*format != TenderStore::kFormat)
        throw ESqliteError(path + ": made by another version of quorvane-service (format " + *format + ")");
    return MetaValue(db.get(), "dates") == "relative" ? Kind::Generated : Kind::Imported;
}

SqliteTenderDatabase::SqliteTenderDatabase(const std::string& path)
    : TenderDatabase(Inspect(path) == Kind::Generated),
      db_(OpenSqlite(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX)),
      findAccount_(std::make_unique<SqliteStatement>(
          db_.get(), "SELECT password_hash, name, word, keywords FROM account WHERE email = ?1")),
      findTender_(std::make_unique<SqliteStatement>(
          db_.get(), "SELECT day, text FROM tender JOIN tender_text USING(id) WHERE id = ?1")),
      countToday_(std::make_unique<SqliteStatement>(db_.get(), kCountToday)),
      pageToday_(std::make_unique<SqliteStatement>(db_.get(), kPageToday)),
      countWord_(std::make_unique<SqliteStatement>(db_.get(), kCountWord)),
      countWordEverywhere_(std::make_unique<SqliteStatement>(db_.get(), kCountWordEverywhere)),
      countMatches_(std::make_unique<SqliteStatement>(db_.get(), kCountMatches)),
      pageMatches_(std::make_unique<SqliteStatement>(db_.get(), kPageMatches)),
      pageMatchesFromOldest_(std::make_unique<SqliteStatement>(db_.get(), kPageMatchesFromOldest)),
      begin_(std::make_unique<SqliteStatement>(db_.get(), "BEGIN")),
      commit_(std::make_unique<SqliteStatement>(db_.get(), "COMMIT")) {
    // Reading through a mapping spares a system call for every page a search touches; SQLite
    // caps the mapping at its own limit (2 GB), which covers a corpus of about a million tenders.
    SqliteStatement::Execute(db_.get(), "PRAGMA mmap_size=2147418112");
}

SqliteTenderDatabase::~SqliteTenderDatabase() = default;

std::optional<TenderDatabase::Account> SqliteTenderDatabase::FindAccount(const std::string& email) {
    findAccount_->Bind(1, email);
    std::optional<Account> account;
    if (findAccount_->Step())
        account = Account{findAccount_->Text(0), findAccount_->Text(1), findAccount_->Text(2),
                          findAccount_->Text(3)};
    findAccount_->Reset();
    return account;
}

std::optional<TenderDatabase::StoredText> SqliteTenderDatabase::Text(int64_t id) {
    findTender_->Bind(1, id);
    std::optional<StoredText> text;
    if (findTender_->Step()) text = StoredText{static_cast<int>(findTender_->Int(0)), findTender_->Text(1)};
    findTender_->Reset();
    return text;
}

int64_t SqliteTenderDatabase::Count(SqliteStatement& count) {
    const int64_t total = count.Step() ? count.Int(0) : 0;
    count.Reset();
    return total;
}

std::vector<std::pair<int64_t, std::string>> SqliteTenderDatabase::Rows(SqliteStatement& page) {
    std::vector<std::pair<int64_t, std::string>> rows;
    while (page.Step())
        rows.emplace_back(page.Int(0), page.Text(1));
    page.Reset();
    return rows;
}

TenderDatabase::Listing SqliteTenderDatabase::Day(int64_t day, const std::string& country, int64_t offset,
                                                  int limit) {
    Listing listing;
    countToday_->Bind(1, day).Bind(2, country);
    listing.total = Count(*countToday_);
    pageToday_->Bind(1, day).Bind(2, country).Bind(3, int64_t{limit}).Bind(4, offset);
    listing.rows = Rows(*pageToday_);
    return listing;
}

TenderDatabase::Listing SqliteTenderDatabase::Matches(const std::vector<std::string>& words,
                                                      const std::string& country, int64_t offset, int limit) {
    // The total and the page from one snapshot: the page is found from the total.
    begin_->Step();
    begin_->Reset();
    try {
        Listing listing = MatchesInSnapshot(words, country, offset, limit);
        commit_->Step();
        commit_->Reset();
        return listing;
    } catch (...) {
        sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

TenderDatabase::Listing SqliteTenderDatabase::MatchesInSnapshot(const std::vector<std::string>& words,
                                                                const std::string& country, int64_t offset,
                                                                int limit) {
    const std::string match = TenderIndex::Match(words, country);
    Listing listing;
    if (words.size() > 1) {
        countMatches_->Bind(1, match);
        listing.total = Count(*countMatches_);
    } else if (country == "EU") {
        countWordEverywhere_->Bind(1, words.front());
        listing.total = Count(*countWordEverywhere_);
    } else {
        countWord_->Bind(1, words.front()).Bind(2, country);
        listing.total = Count(*countWord_);
    }
    // The index reads its matches in order from either end, passing each one before those wanted:
    // a page nearer the oldest match is read from there and turned round.
    const std::optional<PageEnd> page = NearerEnd(listing.total, offset, limit);
    if (!page) return listing;
    SqliteStatement& read = page->oldestFirst ? *pageMatchesFromOldest_ : *pageMatches_;
    read.Bind(1, match).Bind(2, page->count).Bind(3, page->skip);
    listing.rows = Rows(read);
    if (page->oldestFirst) std::reverse(listing.rows.begin(), listing.rows.end());
    return listing;
}

} // namespace qv::server
