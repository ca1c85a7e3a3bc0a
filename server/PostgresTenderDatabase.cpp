#include "server/PostgresTenderDatabase.h"

#include "server/PostgresStore.h"
#include "server/PostgresWords.h"

namespace qv::server {

namespace {

// Statements by name; those ending in "_in" ask for one country.
constexpr const char* kStatements[][2] = {
    {"account", "SELECT password_hash, name, word, keywords FROM account WHERE email_key = $1"},
    {"text", "SELECT day, text FROM tender JOIN tender_text USING(id) WHERE id = $1"},
    // Newest first: ids grow with publication day.
    {"count_day", "SELECT count(*) FROM tender WHERE day = $1"},
    {"count_day_in", "SELECT count(*) FROM tender WHERE day = $1 AND country = $2"},
    {"page_day", "SELECT id, title FROM tender WHERE day = $1 ORDER BY id DESC LIMIT $2 OFFSET $3"},
    {"page_day_in",
     "SELECT id, title FROM tender WHERE day = $1 AND country = $4 ORDER BY id DESC LIMIT $2 OFFSET $3"},
    // A search of one word reads its total from the word counts; others count their matches. The
    // query holds the country's lexeme when it asks for one country.
    {"count_word", "SELECT coalesce(sum(tenders), 0) FROM term WHERE word = $1"},
    {"count_word_in", "SELECT coalesce(sum(tenders), 0) FROM term WHERE word = $1 AND country = $2"},
    {"count_matches", "SELECT count(*) FROM tender WHERE words @@ $1::tsquery"},
    {"page_matches",
     "SELECT id, title FROM tender WHERE words @@ $1::tsquery ORDER BY id DESC LIMIT $2 OFFSET $3"},
};

} // namespace

PostgresTenderDatabase::PostgresTenderDatabase(const std::string& conninfo)
    : PostgresTenderDatabase(std::make_unique<PostgresConnection>(conninfo), conninfo) {}

PostgresTenderDatabase::PostgresTenderDatabase(std::unique_ptr<PostgresConnection> db,
                                               const std::string& conninfo)
    : TenderDatabase(PostgresStore::Inspect(*db) == Kind::Generated), db_(std::move(db)),
      listener_(conninfo) {
    // Each search is planned for its own words: how many tenders hold them decides between the
    // word index and the walk through the newest tenders.
    db_->Execute("SET plan_cache_mode = force_custom_plan");
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

TenderDatabase::Listing PostgresTenderDatabase::Read(const Statement& count, const Statement& page) {
    Listing listing;
    db_->Execute("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    try {
        listing.total = db_->Run(count.name, count.parameters).Int(0, 0);
        const PostgresResult rows = db_->Run(page.name, page.parameters);
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
    const std::string rows = std::to_string(limit);
    const std::string skipped = std::to_string(offset);
    if (country == "EU") return Read({"count_day", {first}}, {"page_day", {first, rows, skipped}});
    return Read({"count_day_in", {first, country}}, {"page_day_in", {first, rows, skipped, country}});
}

TenderDatabase::Listing PostgresTenderDatabase::Matches(const std::vector<std::string>& words,
                                                        const std::string& country, int64_t offset,
                                                        int limit) {
    const bool everywhere = country == "EU";
    const std::string query = PostgresWords::AllOf(words, everywhere ? "" : country);
    const Statement page{"page_matches", {query, std::to_string(limit), std::to_string(offset)}};
    if (words.size() > 1) return Read({"count_matches", {query}}, page);
    const std::string word = PostgresWords::Lexeme(words.front());
    return Read(everywhere ? Statement{"count_word", {word}} : Statement{"count_word_in", {word, country}},
                page);
}

} // namespace qv::server
