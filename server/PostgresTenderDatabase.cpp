#include "server/PostgresTenderDatabase.h"

#include "server/PostgresSharedNames.h"
#include "server/PostgresStore.h"
#include "server/PostgresWords.h"

#include <algorithm>

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
    // A page of matches found by walking the tenders (of the country) in the order of their ids,
    // each one tested: the test in its function form, which no index serves, so that the walk
    // stops once the page is full. The tenders of one country are walked in their own index, in
    // its order, so that the walk passes no tender of another: the country given as a range, as
    // the planner takes an equal country for settled and walks the ids of all tenders instead.
    {"walk_newest", "SELECT id, title FROM tender WHERE ts_match_vq(words, $1::tsquery) "
                    "ORDER BY id DESC LIMIT $2 OFFSET $3"},
    {"walk_oldest", "SELECT id, title FROM tender WHERE ts_match_vq(words, $1::tsquery) "
                    "ORDER BY id ASC LIMIT $2 OFFSET $3"},
    {"walk_newest_in", "SELECT id, title FROM tender WHERE country >= $4 AND country <= $4 AND "
                       "ts_match_vq(words, $1::tsquery) ORDER BY country DESC, id DESC LIMIT $2 OFFSET $3"},
    {"walk_oldest_in", "SELECT id, title FROM tender WHERE country >= $4 AND country <= $4 AND "
                       "ts_match_vq(words, $1::tsquery) ORDER BY country, id LIMIT $2 OFFSET $3"},
    // A page of matches found by the word index: every match read, then sorted.
    {"every_match",
     "SELECT id, title FROM (SELECT id, title FROM tender WHERE words @@ $1::tsquery OFFSET 0) "
     "AS matches ORDER BY id DESC LIMIT $2 OFFSET $3"},
};

// A walk reads about this many tenders in the time the word index takes per match it finds: a
// walk through all tenders reads the table in order (under a microsecond a tender on a million),
// the index reads a place of its own for each match (ten and more), as does a walk through the
// tenders of one country, which lie scattered among the others.
constexpr int64_t kWalkedPerMatch = 16;
constexpr int64_t kWalkedInCountryPerMatch = 4;

} // namespace

PostgresTenderDatabase::PostgresTenderDatabase(const std::string& conninfo)
    : PostgresTenderDatabase(std::make_unique<PostgresConnection>(conninfo), conninfo) {}

PostgresTenderDatabase::PostgresTenderDatabase(std::unique_ptr<PostgresConnection> db,
                                               const std::string& conninfo)
    : TenderDatabase(PostgresStore::Inspect(*db) == Kind::Generated), db_(std::move(db)),
      listener_(conninfo) {
    for (const auto& [name, sql] : kStatements)
        db_->Prepare(name, sql);
    listener_.Listen(kPostgresChangeChannel);
}

PostgresTenderDatabase::~PostgresTenderDatabase() = default;

std::optional<TenderDatabase::Account> PostgresTenderDatabase::FindAccount(const std::string& email) {
    const PostgresResult found = db_->Run("account", {PostgresAccountKey(email)});
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

TenderDatabase::Listing PostgresTenderDatabase::InSnapshot(const std::function<Listing()>& read) {
    db_->Execute("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    try {
        Listing listing = read();
        db_->Execute("COMMIT");
        return listing;
    } catch (...) {
        db_->Execute("ROLLBACK");
        throw;
    }
}

int64_t PostgresTenderDatabase::Count(const Statement& count) {
    return db_->Run(count.name, count.parameters).Int(0, 0);
}

std::vector<std::pair<int64_t, std::string>> PostgresTenderDatabase::Rows(const Statement& page) {
    std::vector<std::pair<int64_t, std::string>> rows;
    const PostgresResult result = db_->Run(page.name, page.parameters);
    for (int row = 0; row < result.Rows(); ++row)
        rows.emplace_back(result.Int(row, 0), result.Text(row, 1));
    return rows;
}

TenderDatabase::Listing PostgresTenderDatabase::Day(int64_t day, const std::string& country, int64_t offset,
                                                    int limit) {
    const std::string first = std::to_string(day);
    const std::string rows = std::to_string(limit);
    const std::string skipped = std::to_string(offset);
    const bool everywhere = country == "EU";
    return InSnapshot([&] {
        Listing listing;
        listing.total =
            everywhere ? Count({"count_day", {first}}) : Count({"count_day_in", {first, country}});
        listing.rows = everywhere ? Rows({"page_day", {first, rows, skipped}})
                                  : Rows({"page_day_in", {first, rows, skipped, country}});
        return listing;
    });
}

TenderDatabase::Listing PostgresTenderDatabase::Matches(const std::vector<std::string>& words,
                                                        const std::string& country, int64_t offset,
                                                        int limit) {
    const bool everywhere = country == "EU";
    const std::string query = PostgresWords::AllOf(words, everywhere ? "" : country);
    const std::string word = PostgresWords::Lexeme(words.front());
    const Statement tendersOf = everywhere
                                    ? Statement{"count_word", {PostgresWords::kTendersOfCountry}}
                                    : Statement{"count_word_in", {PostgresWords::kTendersOfCountry, country}};
    return InSnapshot([&] {
        Listing listing;
        listing.total = words.size() > 1 ? Count({"count_matches", {query}})
                        : everywhere     ? Count({"count_word", {word}})
                                         : Count({"count_word_in", {word, country}});
        // A walk starts at the nearer end.
        const std::optional<PageEnd> page = NearerEnd(listing.total, offset, limit);
        if (!page) return listing;
        const int64_t walked = page->skip + page->count;
        // Matches spread over the tenders walked: a walk passes about this many for each it takes.
        const int64_t tenders = Count(tendersOf);
        if (walked * tenders / listing.total >
            (everywhere ? kWalkedPerMatch : kWalkedInCountryPerMatch) * listing.total) {
            listing.rows =
                Rows({"every_match", {query, std::to_string(page->count), std::to_string(offset)}});
            return listing;
        }
        std::vector<std::string> parameters = {query, std::to_string(page->count),
                                               std::to_string(page->skip)};
        if (!everywhere) parameters.push_back(country);
        const std::string walk =
            std::string(page->oldestFirst ? "walk_oldest" : "walk_newest") + (everywhere ? "" : "_in");
        listing.rows = Rows({walk, parameters});
        if (page->oldestFirst) std::reverse(listing.rows.begin(), listing.rows.end());
        return listing;
    });
}

} // namespace qv::server
