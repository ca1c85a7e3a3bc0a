#include "framework/DateTime.h"
#include "framework/Format.h"
#include "server/CorpusGenerator.h"
#include "server/PostgresConnection.h"
#include "server/RequestHandler.h"
#include "server/SqliteConnection.h"
#include "server/SqliteStatement.h"
#include "server/SqliteTenderDatabase.h"
#include "server/TenderBackend.h"
#include "server/TenderStore.h"
#include "server/import/NoticeImporter.h"
#include "tests/server/NoticeFixtures.h"
#include "tests/server/TestService.h"
#include "tests/support/ScopedTempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sqlite3.h>

namespace qv::server::test {

namespace {

// Every row the tenders, their texts and the word counts hold.
constexpr const char* kSqliteDump =
    "SELECT group_concat(id || country || day || title || text, '|') FROM tender JOIN tender_text USING(id) "
    "UNION ALL SELECT group_concat(word || country || tenders) FROM term";
constexpr const char* kPostgresDump =
    "SELECT string_agg(id || country || day || title || text, '|' ORDER BY id) FROM tender JOIN tender_text "
    "USING(id) UNION ALL SELECT string_agg(word || country || tenders, ',' ORDER BY word, country) FROM term";
// Makes the database fail the insert of a tender whose title starts with "Czechia".
constexpr const char* kSqliteRefusal = "CREATE TRIGGER refuse BEFORE INSERT ON tender WHEN NEW.title LIKE "
                                       "'Czechia%' BEGIN SELECT RAISE(ABORT, 'disk full'); END";
constexpr const char* kPostgresRefusal =
    "CREATE FUNCTION refuse() RETURNS trigger AS $$ BEGIN IF NEW.title LIKE 'Czechia%' THEN RAISE EXCEPTION "
    "'disk full'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql; "
    "CREATE TRIGGER refuse BEFORE INSERT ON tender FOR EACH ROW EXECUTE FUNCTION refuse()";

class NoticeImportTest : public ::testing::TestWithParam<DatabaseKind> {
protected:
    void SetUp() override {
        QV_REQUIRE_DATABASE(GetParam());
        Renew();
    }

    const std::string& Database() const { return database_; }
    // An empty database in place of the one before.
    void Renew() {
        std::filesystem::remove(scratch_.Path() + "/tenders.db");
        database_ = NewDatabase(GetParam(), scratch_.Path());
    }

    // Each path as the command line gives it.
    std::string Import(const std::vector<std::string>& paths) {
        const auto report = [this](const std::string& name, const std::string& reason) {
            problems_ += name + ": " + reason + "\n";
        };
        NoticeImporter importer(Database(), report);
        for (const auto& path : paths)
            for (const auto& package : NoticePackage::Find(path, report))
                importer.Import(package);
        return importer.Counts().Summary();
    }
    std::string ImportNotice(const std::string& text) {
        return Import({scratch_.Write("one/notice.xml", text)});
    }

    std::unique_ptr<TenderDatabase> Reader() { return TenderBackend::For(Database())->OpenReader(); }
    TenderDatabase::Listing Search(const std::string& keyword, const std::string& country = "EU") {
        return Reader()->Search(keyword, country, 0, 20);
    }

    std::string Dump() {
        if (GetParam() == DatabaseKind::Postgres) {
            const PostgresResult rows = PostgresConnection(Database()).Query(kPostgresDump);
            return rows.Text(0, 0) + "\n" + rows.Text(1, 0) + "\n";
        }
        SqliteConnection db = OpenSqlite(Database(), SQLITE_OPEN_READONLY);
        SqliteStatement dump(db.get(), kSqliteDump);
        std::string rows;
        while (dump.Step())
            rows += dump.Text(0) + "\n";
        return rows;
    }

    void RefuseCzechTenders() {
        if (GetParam() == DatabaseKind::Postgres)
            PostgresConnection(Database()).Execute(kPostgresRefusal);
        else
            SqliteStatement::Execute(OpenSqlite(Database(), SQLITE_OPEN_READWRITE).get(), kSqliteRefusal);
    }

    qv::test::ScopedTempFolder scratch_;
    std::string database_;
    std::string problems_;
};

} // namespace

TEST_P(NoticeImportTest, PackagesOfEveryFormAreImportedAroundTheirBadFiles) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"2024/award.xml", NoticeText("award.xml")},
        {"2024/broken.xml", "<ContractNotice><cbc:ID>"},
        {"2024/big.xml", std::string(NoticePackage::kMaxNoticeBytes + 1, ' ')},
        {"2024/contract.xml", NoticeText("contract-minimal.xml")},
        {"2024/read-me.txt", "not a notice"},
    };
    for (const std::string package : {"folder", "daily.tar.gz", "daily.zip"}) {
        const qv::test::ScopedTempFolder source;
        std::string path = source.Path() + "/" + package;
        if (package == "folder") {
            for (const auto& [name, content] : files)
                source.Write("folder/" + name, content);
        } else {
            WriteArchive(path, files);
        }
        Renew();
        problems_.clear();
        EXPECT_EQ(Import({path}), "4 notices read, 2 imported, 0 replaced, 2 skipped") << package;
        EXPECT_NE(problems_.find(path + "/2024/broken.xml: not well-formed XML: Namespace prefix cbc on ID "
                                        "is not defined (line 1)\n"),
                  std::string::npos)
            << problems_;
        EXPECT_NE(problems_.find(path + "/2024/big.xml: larger than 16 MB\n"), std::string::npos)
            << problems_;
        EXPECT_EQ(Search("Dredging").total, 1);
    }
}

TEST_P(NoticeImportTest, DamagedOrMissingPackagesAreNamed) {
    const std::string archive = scratch_.Path() + "/damaged.tar.gz";
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 10; i < 40; ++i)
        files.emplace_back(
            std::to_string(i) + ".xml",
            Replaced(NoticeText("contract-full.xml"), "0123456789ab", "0123456789" + std::to_string(i)));
    WriteArchive(archive, files);
    std::filesystem::resize_file(archive, std::filesystem::file_size(archive) * 2 / 3);
    Import({archive, scratch_.Path() + "/missing"});
    EXPECT_NE(problems_.find(archive + ": damaged archive: "), std::string::npos) << problems_;
    // What came before the damage is kept.
    EXPECT_GT(Search("pipeline").total, 0);
    EXPECT_NE(problems_.find("/missing: No such file or directory"), std::string::npos) << problems_;
}

TEST_P(NoticeImportTest, ImportingAgainChangesNothing) {
    // The folder holds the change notice before the notice it changes: the older one is skipped.
    EXPECT_EQ(Import({QV_NOTICE_DIR}), "6 notices read, 5 imported, 0 replaced, 1 skipped");
    EXPECT_EQ(problems_, "");
    const std::string before = Dump();
    EXPECT_EQ(Import({QV_NOTICE_DIR}), "6 notices read, 0 imported, 0 replaced, 6 skipped");
    EXPECT_EQ(Dump(), before);
}

TEST_P(NoticeImportTest, NewerVersionsAndChangesTakeTheTendersPlace) {
    const std::string first = NoticeText("contract-full.xml");
    EXPECT_EQ(ImportNotice(first), "1 notice read, 1 imported, 0 replaced, 0 skipped");
    const int64_t id = Search("pipeline").rows.at(0).first;

    const std::string second = Replaced(Replaced(first, "<cbc:VersionID>01", "<cbc:VersionID>02"),
                                        "District heating pipeline in the town centre</cbc:Name>",
                                        "District cooling network</cbc:Name>");
    EXPECT_EQ(ImportNotice(second), "1 notice read, 0 imported, 1 replaced, 0 skipped");
    EXPECT_EQ(Search("cooling").rows, (std::vector<std::pair<int64_t, std::string>>{
                                          {id, "Germany-Görlitz: District cooling network"}}));
    EXPECT_EQ(Search("centre").total, 0);
    EXPECT_TRUE(Search("centre").rows.empty());
    EXPECT_EQ(ImportNotice(first), "1 notice read, 0 imported, 0 replaced, 1 skipped");

    EXPECT_EQ(ImportNotice(NoticeText("change.xml")), "1 notice read, 0 imported, 1 replaced, 0 skipped");
    EXPECT_EQ(Search("centre").total, 1);
    EXPECT_EQ(Search("centre").rows.at(0).first, id);
    EXPECT_NE(Reader()->FullText(id)->find("Changes: Time limit extended by two weeks."), std::string::npos);
}

TEST_P(NoticeImportTest, AFailedPackageLeavesTheDatabaseAsItWas) {
    Import({QV_NOTICE_DIR "/contract-minimal.xml"});
    RefuseCzechTenders();
    const std::string before = Dump();
    for (const char* name : {"award.xml", "multilingual.xml", "prior-information.xml"})
        scratch_.Write(std::string("package/") + name, NoticeText(name));
    EXPECT_THROW(Import({scratch_.Path() + "/package"}), EDatabaseError);
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(Search("Nettoyage").total, 0);
}

TEST_P(NoticeImportTest, DatabasesAreToldApartByWhatMadeThem) {
    const auto kind = [](const std::string& database) { return TenderBackend::For(database)->Inspect(); };
    EXPECT_EQ(kind(Database()), TenderDatabase::Kind::Missing);
    ImportNotice(NoticeText("award.xml"));
    EXPECT_EQ(kind(Database()), TenderDatabase::Kind::Imported);
    const std::string generated = NewDatabase(GetParam(), scratch_.Path() + "/one");
    std::filesystem::create_directories(scratch_.Path() + "/one");
    EXPECT_TRUE(TenderBackend::For(generated)->CreateGenerated(CorpusGenerator(1, 50)));
    // As when another service made it first: nothing is done.
    if (GetParam() == DatabaseKind::Postgres) {
        EXPECT_FALSE(TenderBackend::For(generated)->CreateGenerated(CorpusGenerator(1, 50)));
    }
    EXPECT_EQ(kind(generated), TenderDatabase::Kind::Generated);
    EXPECT_THROW(NoticeImporter(generated, {}), EDatabaseError);
    if (GetParam() == DatabaseKind::Postgres) {
        PostgresConnection(generated).Execute("UPDATE meta SET value = 'pg0' WHERE key = 'format'");
        EXPECT_THROW(kind(generated), EDatabaseError);
        return;
    }
    const auto made = [&](const char* name, const char* sql) {
        const std::string path = scratch_.Path() + "/" + name;
        SqliteStatement::Execute(OpenSqlite(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE).get(), sql);
        return path;
    };
    EXPECT_EQ(kind(made("earlier.db", "CREATE TABLE meta(key, value); INSERT INTO meta "
                                      "VALUES('seed', '1')")),
              TenderDatabase::Kind::Outdated);
    EXPECT_THROW(kind(made("other.db", "CREATE TABLE t(x)")), ESqliteError);
    EXPECT_THROW(kind(scratch_.Write("text.db", "no database")), ESqliteError);
}

TEST_P(NoticeImportTest, ServedAsTendersWithTheDemoAccounts) {
    const auto today = framework::DecodeDate(std::floor(framework::Now()));
    const std::string issuedToday =
        Replaced(Replaced(NoticeText("contract-minimal.xml"), "2024-03-04Z",
                          framework::Format("%04d-%02d-%02d", today.year, today.month, today.day)),
                 "-000000000001", "-000000000002");
    const std::string todaysFile = scratch_.Write("today.xml", issuedToday);
    Import({todaysFile, QV_NOTICE_DIR "/contract-full.xml", QV_NOTICE_DIR "/award.xml",
            QV_NOTICE_DIR "/prior-information.xml", QV_NOTICE_DIR "/multilingual.xml"});
    RequestHandler handler(Database());
    const auto ask = [&](RequestHandler::Params params) {
        params.emplace("email", "demo@quorvane.example");
        params.emplace("password", "demo");
        return handler.Handle(params);
    };
    const auto browse = [&](const std::string& keyword, const std::string& country) {
        return ask(
            {{"action", "browse"}, {"page", "1"}, {"keyword", keyword}, {"filterby1", "'" + country + "'"}});
    };
    EXPECT_EQ(ask({{"action", "check_login"}}).substr(0, 4), "user");
    const std::string todays = browse("", "EU");
    EXPECT_EQ(todays.substr(0, 56), "ok         1\r\nIreland-Cork: Dredging of the inner quay\r\n");
    EXPECT_EQ(browse("", "IE").substr(0, 14), "ok         1\r\n");

    const std::vector<std::tuple<std::string, std::string, std::string>> searches = {
        {"45231100", "EU",
         "ok         1\r\nGermany-G\xF6rlitz: District heating pipeline in the town centre\r\n"},
        {"45231100", "DE", "ok         1\r\nGermany-G\xF6rlitz"},
        {"45231100", "FR", "ok         0\r\n"},
        {"Nettoyage batiments", "FR", "ok         1\r\nFrance-Besan\xE7on: Nettoyage des b\xE2timents"},
        {"Dostawa", "EU",
         "ok         1\r\nPoland-L\xF3"
         "dz: Dostawa sprzetu medycznego dla oddzialu ratunkowego\r\n"},
        {"Lodz", "EU",
         "ok         1\r\nPoland-L\xF3"
         "dz"},
        {"Dostawa", "GB", "ok         0\r\n"},
        {"Dostawa", "PL", "ok         0\r\n"},
        {"Brno", "EU", "ok         1\r\nCzechia-Brno: Cleaning of the town hall\r\n"},
    };
    for (const auto& [keyword, country, start] : searches)
        EXPECT_EQ(browse(keyword, country).substr(0, start.size()), start) << keyword << " " << country;

    const std::string listing = browse("Lodz", "EU");
    const std::string id =
        listing.substr(listing.find("\r\n", 14) + 2, listing.size() - listing.find("\r\n", 14) - 4);
    const std::string view = "ok\r\nPoland-L\xF3"
                             "dz: Dostawa sprzetu medycznego dla oddzialu ratunkowego\r\n";
    EXPECT_EQ(ask({{"action", "view_tender"}, {"id", id}}).substr(0, view.size()), view);
    EXPECT_EQ(Reader()->FullText(std::stoll(id))->substr(0, 14), "Poland-Łódź");
}

QV_ON_EVERY_DATABASE(NoticeImportTest);

} // namespace qv::server::test
