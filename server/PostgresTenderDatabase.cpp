#include "server/PostgresTenderDatabase.h"

#include "server/PostgresStore.h"
#include "server/PostgresWords.h"

namespace qv::server {

namespace {

// Statements by name; those ending in "_in" take a country as their last parameter.
constexpr const char* kStatements[][2] = {
    {"account", "SELECT password_hash, name, word, keywords FROM account WHERE email_key = $1"},
    {"text", "SELECT day, text FROM tender JOIN tender_text USING(id) WHERE id = $1"},
    // Newest first: ids grow with publication day.
    {"count_day", "SELECT count(*) FROM tender WHERE day = $1"},
    {"count_day_in", "SELECT count(*) FROM tender WHERE day = $1 AND country = $2"},
    {"page_day", "SELECT id, title FROM tender WHERE day = $1 ORDER BY id DESC LIMIT $2 OFFSET $3"},
    {"page_day_in",
     "SELECT id, title FROM tender WHERE day = $1 AND country = $4 ORDER BY id DESC LIMIT $2 OFFSET $3"},
    // A search of one word reads its total from the word counts; others count their matches.
    {"count_word", "SELECT coalesce(sum(tenders), 0) FROM term WHERE word = $1"},
    {"count_word_in", "SELECT coalesce(sum(tenders), 0) FROM term WHERE word = $1 AND country = $2"},
    {"count_matches", "SELECT count(*) FROM tender WHERE words @@ $1::tsquery"},
    {"count_matches_in", "SELECT count(*) FROM tender WHERE words @@ $1::tsquery AND country = $2"},
    {"page_matches",
     "SELECT id, title FROM tender WHERE words @@ $1::tsquery ORDER BY id DESC LIMIT $2 OFFSET $3"},
    {"page_matches_in", "SELECT id, title FROM tender WHERE words @@ $1::tsquery AND country = $4 "
                        "ORDER BY id DESC LIMIT $2 OFFSET $3"},
};

std::string Named(const std::string& name, const std::string& country) {
    return country == "EU" ? name : name + "_in";
}

} // namespace

PostgresTenderDatabase::PostgresTenderDatabase(const std::string& conninfo)
    : PostgresTenderDatabase(std::make_unique<PostgresConnection>(conninfo), conninfo) {}

PostgresTenderDatabase::PostgresTenderDatabase(std::unique_ptr<PostgresConnection> db,
                                               const std::string& conninfo)
    : TenderDatabase(PostgresStore::Inspect(*db) == Kind::Generated), db_(std::move(db)),
      listener_(conninfo) {
    for (const auto& [name, sql] : kStatements)
        db_->Prepare(name, sql);
    listener_.Listen(kChangeChannel);
}

PostgresTenderDatabase::~PostgresTenderDatabase() = default;

std::string PostgresTenderDatabase::AccountKey(const std::string& email) {
    std::string key = email;
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}

std::optional<TenderDatabase::Account> PostgresTenderDatabase::FindAccount(const std::string& email) {
    const PostgresResult found = db_->Run("account", {AccountKey(email)});
    if (found.Rows() == 0) return std::nullopt;
    return Account{found.Text(0, 0), found.Text(0, 1), found.Text(0, 2), found.Text(0, 3)};
}

bool PostgresTenderDatabase::Changed() {
    const std::lock_guard lock(listenerMutex_);
    return listener_.Notified();
}

std::optional<TenderDatabase::StoredText> PostgresTenderDatabase::Text(int64_t id) {
    const PostgresResult found = db_->Run("text", {std::to_string(id)});
    if (found.Rows() == 0) return std::nullopt;
    return StoredText{static_cast<int>(found.Int(0, 0)), found.Text(0, 1)};
}

TenderDatabase::Listing PostgresTenderDatabase::Read(const std::string& country, const std::string& count,
                                                     std::vector<std::string> countParameters,
                                                     const std::string& page,
                                                     std::vector<std::string> pageParameters) {
    if (country != "EU") {
        countParameters.push_back(country);
        pageParameters.push_back(country);
    }
    Listing listing;
    db_->Execute("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    try {
        listing.total = db_->Run(Named(count, country), countParameters).Int(0, 0);
        const PostgresResult rows = db_->Run(Named(page, country), pageParameters);
        for (int row = 0; row < rows.Rows(); ++row)
            listing.rows.emplace_back(rows.Int(row, 0), rows.Text(row, 1));
        db_->Execute("COMMIT");
    } catch (...) {
        db_->Execute("ROLLBACK");
        throw;
    }
    return listing;
}

TenderDatabase::Listing PostgresTenderDatabase::Day(int64_t day, const std::string& country, int64_t offset,
                                                    int limit) {
    const std::string first = std::to_string(day);
    return Read(country, "count_day", {first}, "page_day",
                {first, std::to_string(limit), std::to_string(offset)});
}

TenderDatabase::Listing PostgresTenderDatabase::Matches(const std::vector<std::string>& words,
                                                        const std::string& country, int64_t offset,
                                                        int limit) {
    const std::string query = PostgresWords::AllOf(words);
    const std::vector<std::string> page = {query, std::to_string(limit), std::to_string(offset)};
    if (words.size() > 1) return Read(country, "count_matches", {query}, "page_matches", page);
    return Read(country, "count_word", {PostgresWords::Lexeme(words.front())}, "page_matches", page);
}

} // namespace qv::server
