#include "server/PostgresStore.h"

#include "server/CorpusGenerator.h"
#include "server/PostgresSharedNames.h"
#include "server/PostgresTenderWriter.h"
#include "server/TenderStore.h"

namespace qv::server {

namespace {

// The index of the words is built once the rows of a generated corpus are in: faster than
// keeping it in step row by row. The index by country and id lets a search of one country walk
// that country's tenders newest first. The word counts hold, under the empty word, which no
// search asks for, the number of tenders of each country.
constexpr const char* kSchema = R"sql(
CREATE TABLE meta(key text PRIMARY KEY, value text NOT NULL);
CREATE TABLE account(email_key text PRIMARY KEY, password_hash text NOT NULL, name text NOT NULL,
                     word text NOT NULL, keywords text NOT NULL);
CREATE TABLE tender(id bigint PRIMARY KEY, country text NOT NULL, day integer NOT NULL, title text NOT NULL,
                    words tsvector NOT NULL);
CREATE TABLE tender_text(id bigint PRIMARY KEY, text text NOT NULL);
CREATE INDEX tender_by_day ON tender(day, country);
CREATE INDEX tender_by_country ON tender(country, id);
CREATE TABLE term(word text NOT NULL, country text NOT NULL, tenders bigint NOT NULL, PRIMARY KEY(word, country));
CREATE TABLE notice(identifier text PRIMARY KEY, tender bigint NOT NULL, version integer NOT NULL);
)sql";
constexpr const char* kWordIndex = "CREATE INDEX tender_by_word ON tender USING gin(words)";

void CreateTables(PostgresConnection& db, TenderStore::Dates dates) {
    const std::string encoding = db.Query("SHOW server_encoding").Text(0, 0);
    if (encoding != "UTF8" && encoding != "SQL_ASCII")
        throw EPostgresError("the database keeps its text in " + encoding + "; the service needs UTF8");
    db.Execute(kSchema);
    db.Query("INSERT INTO meta VALUES('format', $1), ('dates', $2)",
             {PostgresStore::kFormat, dates == TenderStore::Dates::Relative ? "relative" : "absolute"});
    const auto& demos = CorpusGenerator::DemoAccounts();
    const std::vector<std::string> hashes = CorpusGenerator::DemoPasswordHashes();
    for (size_t i = 0; i < demos.size(); ++i)
        db.Query("INSERT INTO account VALUES($1, $2, $3, $4, $5)",
                 {PostgresAccountKey(demos[i].email), hashes[i], demos[i].name, demos[i].word,
                  demos[i].KeywordList()});
}

} // namespace

TenderDatabase::Kind PostgresStore::Inspect(PostgresConnection& db) {
    if (db.Query("SELECT to_regclass('meta') IS NULL").Text(0, 0) == "t")
        return TenderDatabase::Kind::Missing;
    const PostgresResult meta = db.Query(
        "SELECT (SELECT value FROM meta WHERE key = 'format'), (SELECT value FROM meta WHERE key = 'dates')");
    if (meta.IsNull(0, 0)) throw EPostgresError("not a database of quorvane-service");
    if (meta.Text(0, 0) != kFormat)
        throw EPostgresError("made by another version of quorvane-service (format " + meta.Text(0, 0) + ")");
    return meta.Text(0, 1) == "relative" ? TenderDatabase::Kind::Generated : TenderDatabase::Kind::Imported;
}

bool PostgresStore::CreateGenerated(const std::string& conninfo, const CorpusGenerator& generator,
                                    const std::function<void(int64_t)>& progress) {
    // Whatever fails, the connection goes, and the transaction with it.
    auto db = std::make_unique<PostgresConnection>(conninfo);
    db->Execute("BEGIN");
    PostgresTenderWriter::TakeWritersTurn(*db);
    if (Inspect(*db) != TenderDatabase::Kind::Missing) return false;
    CreateTables(*db, TenderStore::Dates::Relative);
    db->Query("INSERT INTO meta VALUES('seed', $1)", {std::to_string(generator.Seed())});
    PostgresTenderWriter writer(std::move(db), PostgresTenderWriter::Mode::Bulk);
    int64_t written = 0;
    generator.Generate([&](const Tender& tender) {
        writer.Insert(tender);
        if (++written % TenderStore::kProgressStep == 0 && progress) progress(written);
    });
    writer.Flush();
    writer.Connection().Execute(kWordIndex);
    writer.Connection().Execute("COMMIT");
    writer.Merge();
    return true;
}

std::unique_ptr<TenderWriter> PostgresStore::OpenWriter(const std::string& conninfo) {
    auto db = std::make_unique<PostgresConnection>(conninfo);
    db->Execute("BEGIN");
    PostgresTenderWriter::TakeWritersTurn(*db);
    switch (Inspect(*db)) {
    case TenderDatabase::Kind::Missing:
        CreateTables(*db, TenderStore::Dates::Absolute);
        db->Execute(kWordIndex);
        break;
    case TenderDatabase::Kind::Generated:
    case TenderDatabase::Kind::Outdated:
        throw EPostgresError("holds generated tenders; import into a new database");
    case TenderDatabase::Kind::Imported:
        break;
    }
    db->Execute("COMMIT");
    return std::make_unique<PostgresTenderWriter>(std::move(db), PostgresTenderWriter::Mode::OneByOne);
}

} // namespace qv::server
