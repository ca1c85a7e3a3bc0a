#include "server/TenderDatabase.h"

#include "server/CorpusGenerator.h"
#include "server/PasswordHash.h"
#include "server/SqliteStatement.h"

#include <cstdio>
#include <sqlite3.h>

namespace qv::server {

namespace {

// The full texts live apart from the listing columns, so that the rows a search walks
// through stay small; the index keeps no copy of the text it indexes.
constexpr const char* kSchema = R"sql(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE account(email TEXT PRIMARY KEY COLLATE NOCASE, password_hash TEXT NOT NULL, name TEXT NOT NULL,
                     word TEXT NOT NULL, keywords TEXT NOT NULL);
CREATE TABLE tender(id INTEGER PRIMARY KEY, country TEXT NOT NULL, age INTEGER NOT NULL, title TEXT NOT NULL);
CREATE TABLE tender_text(id INTEGER PRIMARY KEY, text TEXT NOT NULL);
CREATE INDEX tender_by_age ON tender(age, country);
CREATE VIRTUAL TABLE tender_index USING fts5(title, text, content='', tokenize='unicode61 remove_diacritics 2');
)sql";

// A keyword of more words than this is cut: each term costs one index walk.
constexpr int kMaxTerms = 16;

// Newest first: ids grow with publication day.
constexpr const char* kCountPublished =
    "SELECT count(*) FROM tender WHERE age = ?1 AND (?2 = 'EU' OR country = ?2)";
constexpr const char* kPagePublished =
    "SELECT id, title FROM tender WHERE age = ?1 AND (?2 = 'EU' OR country = ?2) "
    "ORDER BY id DESC LIMIT ?3 OFFSET ?4";
constexpr const char* kCountMatches =
    "SELECT count(*) FROM tender_index JOIN tender ON tender.id = tender_index.rowid "
    "WHERE tender_index MATCH ?1 AND tender.country = ?2";
// Counting across all countries needs no row of the tender table, only the index.
constexpr const char* kCountAllMatches = "SELECT count(*) FROM tender_index WHERE tender_index MATCH ?1";
constexpr const char* kPageMatches = "SELECT tender.id, tender.title FROM tender_index "
                                     "JOIN tender ON tender.id = tender_index.rowid "
                                     "WHERE tender_index MATCH ?1 AND (?2 = 'EU' OR tender.country = ?2) "
                                     "ORDER BY tender_index.rowid DESC LIMIT ?3 OFFSET ?4";

using Connection = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;

Connection OpenConnection(const std::string& path, int flags) {
    sqlite3* raw = nullptr;
    const int code = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    Connection db(raw, sqlite3_close);
    if (code != SQLITE_OK)
        throw ESqliteError(path + ": " + (raw ? sqlite3_errmsg(raw) : "cannot open the database"));
    return db;
}

bool IsWordByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || byte >= 0x80;
}

std::string JoinKeywords(const std::vector<std::string>& keywords) {
    std::string joined;
    for (size_t i = 0; i < keywords.size(); ++i)
        joined += (i ? "," : "") + keywords[i];
    return joined;
}

void Fill(sqlite3* db, uint64_t seed) {
    SqliteStatement::Execute(db, kSchema);
    SqliteStatement::Execute(db, "BEGIN");
    SqliteStatement meta(db, "INSERT INTO meta VALUES('seed', ?1)");
    meta.Bind(1, std::to_string(seed)).Step();
    SqliteStatement account(db, "INSERT INTO account VALUES(?1, ?2, ?3, ?4, ?5)");
    for (const auto& demo : CorpusGenerator::DemoAccounts()) {
        account.Bind(1, demo.email)
            .Bind(2, HashPassword(demo.password))
            .Bind(3, demo.name)
            .Bind(4, demo.word);
        account.Bind(5, JoinKeywords(demo.keywords)).Step();
        account.Reset();
    }
    SqliteStatement tender(db, "INSERT INTO tender VALUES(?1, ?2, ?3, ?4)");
    SqliteStatement text(db, "INSERT INTO tender_text VALUES(?1, ?2)");
    SqliteStatement index(db, "INSERT INTO tender_index(rowid, title, text) VALUES(?1, ?2, ?3)");
    CorpusGenerator(seed).Generate([&](const Tender& t) {
        tender.Bind(1, t.id).Bind(2, t.country).Bind(3, t.age).Bind(4, t.title).Step();
        tender.Reset();
        text.Bind(1, t.id).Bind(2, t.text).Step();
        text.Reset();
        index.Bind(1, t.id).Bind(2, t.title).Bind(3, t.text).Step();
        index.Reset();
    });
    SqliteStatement::Execute(db, "COMMIT");
}

} // namespace

void TenderDatabase::Create(const std::string& path, uint64_t seed) {
    const std::string building = path + ".building";
    std::remove(building.c_str());
    {
        Connection db = OpenConnection(building, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        SqliteStatement::Execute(db.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF");
        try {
            Fill(db.get(), seed);
        } catch (...) {
            db.reset();
            std::remove(building.c_str());
            throw;
        }
    }
    if (std::rename(building.c_str(), path.c_str()) != 0) {
        std::remove(building.c_str());
        throw ESqliteError(path + ": cannot move the new database into place");
    }
}

TenderDatabase::TenderDatabase(const std::string& path)
    : db_(OpenConnection(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX)),
      findAccount_(std::make_unique<SqliteStatement>(
          db_.get(), "SELECT password_hash, name, word, keywords FROM account WHERE email = ?1")),
      findTender_(std::make_unique<SqliteStatement>(
          db_.get(), "SELECT age, text FROM tender JOIN tender_text USING(id) WHERE id = ?1")),
      countPublished_(std::make_unique<SqliteStatement>(db_.get(), kCountPublished)),
      pagePublished_(std::make_unique<SqliteStatement>(db_.get(), kPagePublished)),
      countMatches_(std::make_unique<SqliteStatement>(db_.get(), kCountMatches)),
      countAllMatches_(std::make_unique<SqliteStatement>(db_.get(), kCountAllMatches)),
      pageMatches_(std::make_unique<SqliteStatement>(db_.get(), kPageMatches)) {
    // Reading through a mapping spares a system call for every page a search touches.
    SqliteStatement::Execute(db_.get(), "PRAGMA mmap_size=268435456");
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

std::optional<TenderDatabase::StoredTender> TenderDatabase::FindTender(int64_t id) {
    findTender_->Bind(1, id);
    std::optional<StoredTender> tender;
    if (findTender_->Step())
        tender = StoredTender{static_cast<int>(findTender_->Int(0)), findTender_->Text(1)};
    findTender_->Reset();
    return tender;
}

TenderDatabase::Listing TenderDatabase::RunListing(SqliteStatement& count, SqliteStatement& page,
                                                   int64_t offset, int limit) {
    Listing listing;
    if (count.Step()) listing.total = count.Int(0);
    count.Reset();
    page.Bind(3, int64_t{limit}).Bind(4, offset);
    while (page.Step())
        listing.rows.emplace_back(page.Int(0), page.Text(1));
    page.Reset();
    return listing;
}

TenderDatabase::Listing TenderDatabase::ListPublished(int age, const std::string& country, int64_t offset,
                                                      int limit) {
    countPublished_->Bind(1, int64_t{age}).Bind(2, country);
    pagePublished_->Bind(1, int64_t{age}).Bind(2, country);
    return RunListing(*countPublished_, *pagePublished_, offset, limit);
}

TenderDatabase::Listing TenderDatabase::Search(std::string_view keyword, const std::string& country,
                                               int64_t offset, int limit) {
    const std::string query = FullTextQuery(keyword);
    if (query.empty()) return {};
    const bool allCountries = country == "EU";
    SqliteStatement& count = allCountries ? *countAllMatches_ : *countMatches_;
    count.Bind(1, query);
    if (!allCountries) count.Bind(2, country);
    pageMatches_->Bind(1, query).Bind(2, country);
    return RunListing(count, *pageMatches_, offset, limit);
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
