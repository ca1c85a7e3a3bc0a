#include "server/TenderDatabase.h"

#include "framework/DateTime.h"
#include "server/CorpusGenerator.h"
#include "server/SqliteConnection.h"
#include "server/SqliteStatement.h"
#include "server/TenderIndex.h"
#include "server/TenderStore.h"

#include <algorithm>
#include <cmath>
#include <sqlite3.h>
#include <sys/stat.h>

namespace qv::server {

namespace {

// A keyword of more words than this is cut: each term costs one index walk.
constexpr int kMaxTerms = 16;

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

bool IsWordByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || byte >= 0x80;
}

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

int CurrentDay() {
    return static_cast<int>(std::floor(framework::Now()));
}

} // namespace

TenderDatabase::Kind TenderDatabase::Inspect(const std::string& path) {
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

TenderDatabase::TenderDatabase(const std::string& path)
    : db_(OpenSqlite(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX)),
      relativeDates_(Inspect(path) == Kind::Generated), tokenizer_(db_.get()),
      findAccount_(std::make_unique<SqliteStatement>(
          db_.get(), "SELECT password_hash, name, word, keywords FROM account WHERE email = ?1")),
      findTender_(std::make_unique<SqliteStatement>(
          db_.get(), "SELECT day, text FROM tender JOIN tender_text USING(id) WHERE id = ?1")),
      countToday_(std::make_unique<SqliteStatement>(db_.get(), kCountToday)),
      pageToday_(std::make_unique<SqliteStatement>(db_.get(), kPageToday)),
      countWord_(std::make_unique<SqliteStatement>(db_.get(), kCountWord)),
      countWordEverywhere_(std::make_unique<SqliteStatement>(db_.get(), kCountWordEverywhere)),
      countMatches_(std::make_unique<SqliteStatement>(db_.get(), kCountMatches)),
      pageMatches_(std::make_unique<SqliteStatement>(db_.get(), kPageMatches)) {
    // Reading through a mapping spares a system call for every page a search touches; SQLite
    // caps the mapping at its own limit (2 GB), which covers a corpus of about a million tenders.
    SqliteStatement::Execute(db_.get(), "PRAGMA mmap_size=2147418112");
}

TenderDatabase::~TenderDatabase() = default;

std::optional<TenderDatabase::Account> TenderDatabase::FindAccount(const std::string& email) {
    findAccount_->Bind(1, email);
    std::optional<Account> account;
    if (findAccount_->Step())
        account = Account{findAccount_->Text(0), findAccount_->Text(1), findAccount_->Text(2),
                          findAccount_->Text(3)};
    findAccount_->Reset();
    return account;
}

std::optional<std::string> TenderDatabase::FullText(int64_t id) {
    findTender_->Bind(1, id);
    std::optional<std::string> text;
    if (findTender_->Step()) {
        const int day = static_cast<int>(findTender_->Int(0));
        text = relativeDates_ ? ResolveNoticeDates(findTender_->Text(1), CurrentDay() + day)
                              : findTender_->Text(1);
    }
    findTender_->Reset();
    return text;
}

int64_t TenderDatabase::Count(SqliteStatement& count) {
    const int64_t total = count.Step() ? count.Int(0) : 0;
    count.Reset();
    return total;
}

std::vector<std::pair<int64_t, std::string>> TenderDatabase::Rows(SqliteStatement& page) {
    std::vector<std::pair<int64_t, std::string>> rows;
    while (page.Step())
        rows.emplace_back(page.Int(0), page.Text(1));
    page.Reset();
    return rows;
}

TenderDatabase::Listing TenderDatabase::ListToday(const std::string& country, int64_t offset, int limit) {
    if (country != "EU" && !TenderIndex::IsCountryCode(country)) return {};
    const int64_t today = relativeDates_ ? 0 : CurrentDay();
    Listing listing;
    countToday_->Bind(1, today).Bind(2, country);
    listing.total = Count(*countToday_);
    pageToday_->Bind(1, today).Bind(2, country).Bind(3, int64_t{limit}).Bind(4, offset);
    listing.rows = Rows(*pageToday_);
    return listing;
}

TenderDatabase::Listing TenderDatabase::Search(std::string_view keyword, const std::string& country,
                                               int64_t offset, int limit) {
    if (country != "EU" && !TenderIndex::IsCountryCode(country)) return {};
    const std::string query = FullTextQuery(keyword);
    words_.clear();
    tokenizer_.Words(query, [this](std::string_view word) { words_.emplace_back(word); });
    std::sort(words_.begin(), words_.end());
    words_.erase(std::unique(words_.begin(), words_.end()), words_.end());
    if (words_.empty()) return {};

    const std::string match = TenderIndex::Match(query, country);
    Listing listing;
    if (words_.size() > 1) {
        countMatches_->Bind(1, match);
        listing.total = Count(*countMatches_);
    } else if (country == "EU") {
        countWordEverywhere_->Bind(1, words_.front());
        listing.total = Count(*countWordEverywhere_);
    } else {
        countWord_->Bind(1, words_.front()).Bind(2, country);
        listing.total = Count(*countWord_);
    }
    pageMatches_->Bind(1, match).Bind(2, int64_t{limit}).Bind(3, offset);
    listing.rows = Rows(*pageMatches_);
    return listing;
}

std::string TenderDatabase::FullTextQuery(std::string_view keyword) {
    std::string query;
    int terms = 0;
    size_t i = 0;
    while (i < keyword.size() && terms < kMaxTerms) {
        while (i < keyword.size() && !IsWordByte(keyword[i]))
            ++i;
        const size_t start = i;
        while (i < keyword.size() && IsWordByte(keyword[i]))
            ++i;
        if (i == start) break;
        query += (terms++ ? " \"" : "\"") + std::string(keyword.substr(start, i - start)) + "\"";
    }
    return query;
}

} // namespace qv::server
