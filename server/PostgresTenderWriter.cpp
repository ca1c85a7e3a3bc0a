#include "server/PostgresTenderWriter.h"

#include "server/Cp1252.h"
#include "server/PostgresSharedNames.h"
#include "server/PostgresWords.h"

#include <algorithm>

namespace qv::server {

namespace {

// The advisory lock that writers of one database take in turn ("qv" and 1).
constexpr const char* kWritersLock = "SELECT pg_advisory_xact_lock(1903558657)";

constexpr const char* kStatements[][2] = {
    {"insert_tender",
     "INSERT INTO tender(id, country, day, title, words) VALUES($1, $2, $3, $4, $5::tsvector)"},
    {"insert_text", "INSERT INTO tender_text(id, text) VALUES($1, $2)"},
    {"update_tender",
     "UPDATE tender SET country = $2, day = $3, title = $4, words = $5::tsvector WHERE id = $1"},
    {"update_text", "UPDATE tender_text SET text = $2 WHERE id = $1"},
    {"find_tender", "SELECT country, day, title, text FROM tender JOIN tender_text USING(id) WHERE id = $1"},
    {"find_notice", "SELECT tender, version FROM notice WHERE identifier = $1"},
    {"remember_notice",
     "INSERT INTO notice(identifier, tender, version) VALUES($1, $2, $3) "
     "ON CONFLICT(identifier) DO UPDATE SET tender = excluded.tender, version = excluded.version"},
    {"tender_day", "SELECT day FROM tender WHERE id = $1"},
    {"last_id", "SELECT coalesce(max(id), 0) FROM tender WHERE id BETWEEN $1 AND $2"},
    {"add_terms", "INSERT INTO term(word, country, tenders) "
                  "SELECT * FROM unnest($1::text[], $2::text[], $3::bigint[]) "
                  "ON CONFLICT(word, country) DO UPDATE SET tenders = term.tenders + excluded.tenders"},
};

// An array literal of texts, each quoted.
std::string TextArray(const std::vector<std::string>& items) {
    std::string array = "{";
    for (const auto& item : items) {
        if (array.size() > 1) array += ',';
        array += '"';
        for (char c : item) {
            if (c == '"' || c == '\\') array += '\\';
            array += c;
        }
        array += '"';
    }
    return array + "}";
}

} // namespace

PostgresTenderWriter::PostgresTenderWriter(std::unique_ptr<PostgresConnection> db, Mode mode)
    : db_(std::move(db)), mode_(mode),
      terms_([this](const std::string& word, const std::string& country, int64_t change) {
          termChanges_[{PostgresWords::Lexeme(word), country}] += change;
      }) {
    for (const auto& [name, sql] : kStatements)
        db_->Prepare(name, sql);
}

PostgresTenderWriter::~PostgresTenderWriter() = default;

void PostgresTenderWriter::TakeWritersTurn(PostgresConnection& db) {
    db.Execute(kWritersLock);
}

void PostgresTenderWriter::Begin() {
    db_->Execute("BEGIN");
    TakeWritersTurn(*db_);
}

void PostgresTenderWriter::Commit() {
    Flush();
    // Heard by every reading service once the transaction commits.
    db_->Execute(std::string("NOTIFY ") + kPostgresChangeChannel);
    db_->Execute("COMMIT");
}

void PostgresTenderWriter::Rollback() noexcept {
    terms_.Discard();
    termChanges_.clear();
    bulkTenders_.clear();
    bulkTexts_.clear();
    bulkRows_ = 0;
    try {
        db_->Execute("ROLLBACK");
    } catch (const EDatabaseError&) {
        // The connection is gone, and the transaction with it.
    }
}

std::string PostgresTenderWriter::WordsOf(const Tender& tender) {
    std::vector<std::string> lexemes;
    tokenizer_.Words(Utf8WithPlainLatin(tender.text),
                     [&](std::string_view word) { lexemes.push_back(PostgresWords::Lexeme(word)); });
    if (!tender.country.empty()) lexemes.push_back(PostgresWords::CountryLexeme(tender.country));
    std::sort(lexemes.begin(), lexemes.end());
    lexemes.erase(std::unique(lexemes.begin(), lexemes.end()), lexemes.end());
    size_t bytes = 0;
    for (const auto& lexeme : lexemes)
        bytes += lexeme.size();
    if (bytes > PostgresWords::kMaxVectorBytes)
        throw EUnindexableTender(
            "its different words take more than the index of a tender holds in PostgreSQL");
    return PostgresWords::Vector(lexemes);
}

void PostgresTenderWriter::CountTerms(const Tender& tender, int change) {
    terms_.StartTender(tender.country, change);
    tokenizer_.Words(Utf8WithPlainLatin(tender.text),
                     [this](std::string_view word) { terms_.AddWord(word); });
    terms_.EndTender();
    termChanges_[{PostgresWords::kTendersOfCountry, tender.country}] += change;
    if (termChanges_.size() > kMaxTermChanges) WriteTerms();
}

void PostgresTenderWriter::Insert(const Tender& tender) {
    const std::string words = WordsOf(tender);
    const std::string id = std::to_string(tender.id);
    if (mode_ == Mode::Bulk) {
        bulkTenders_ += id + '\t' + CopyField(tender.country) + '\t' + std::to_string(tender.day) + '\t' +
                        CopyField(tender.title) + '\t' + CopyField(words) + '\n';
        bulkTexts_ += id + '\t' + CopyField(tender.text) + '\n';
        if (++bulkRows_ == kBulkRows) CopyRows();
    } else {
        db_->Run("insert_tender", {id, tender.country, std::to_string(tender.day), tender.title, words});
        db_->Run("insert_text", {id, tender.text});
    }
    CountTerms(tender, 1);
}

void PostgresTenderWriter::Replace(const Tender& tender) {
    const std::string words = WordsOf(tender);
    const std::string id = std::to_string(tender.id);
    const PostgresResult old = db_->Run("find_tender", {id});
    if (old.Rows() == 0) throw EPostgresError("no tender " + id + " to replace");
    CountTerms(
        Tender{tender.id, old.Text(0, 0), static_cast<int>(old.Int(0, 1)), old.Text(0, 2), old.Text(0, 3)},
        -1);
    db_->Run("update_tender", {id, tender.country, std::to_string(tender.day), tender.title, words});
    db_->Run("update_text", {id, tender.text});
    CountTerms(tender, 1);
}

void PostgresTenderWriter::CopyRows() {
    if (bulkRows_ == 0) return;
    db_->Copy("COPY tender(id, country, day, title, words) FROM STDIN", bulkTenders_);
    db_->Copy("COPY tender_text(id, text) FROM STDIN", bulkTexts_);
    bulkTenders_.clear();
    bulkTexts_.clear();
    bulkRows_ = 0;
}

void PostgresTenderWriter::Flush() {
    CopyRows();
    terms_.Flush();
    WriteTerms();
}

void PostgresTenderWriter::WriteTerms() {
    if (termChanges_.empty()) return;
    std::vector<std::string> words, countries, changes;
    for (const auto& [key, change] : termChanges_) {
        words.push_back(key.first);
        countries.push_back(key.second);
        changes.push_back(std::to_string(change));
    }
    std::string changeArray = "{";
    for (const auto& change : changes)
        changeArray += (changeArray.size() > 1 ? "," : "") + change;
    db_->Run("add_terms", {TextArray(words), TextArray(countries), changeArray + "}"});
    termChanges_.clear();
}

std::optional<TenderWriter::Notice> PostgresTenderWriter::FindNotice(const std::string& identifier) {
    const PostgresResult found = db_->Run("find_notice", {identifier});
    if (found.Rows() == 0) return std::nullopt;
    return Notice{found.Int(0, 0), static_cast<int>(found.Int(0, 1))};
}

void PostgresTenderWriter::RememberNotice(const std::string& identifier, int64_t tender, int version) {
    db_->Run("remember_notice", {identifier, std::to_string(tender), std::to_string(version)});
}

int PostgresTenderWriter::TenderDay(int64_t tender) {
    const PostgresResult found = db_->Run("tender_day", {std::to_string(tender)});
    return found.Rows() == 0 ? 0 : static_cast<int>(found.Int(0, 0));
}

int64_t PostgresTenderWriter::LastTenderId(int64_t first, int64_t last) {
    return db_->Run("last_id", {std::to_string(first), std::to_string(last)}).Int(0, 0);
}

int64_t PostgresTenderWriter::TenderCount() {
    return db_->Query("SELECT count(*) FROM tender").Int(0, 0);
}

void PostgresTenderWriter::Merge() {
    // The planner's figures on the words decide between the word index and the newest-first walk.
    db_->Execute("ANALYZE tender; ANALYZE term");
}

} // namespace qv::server
