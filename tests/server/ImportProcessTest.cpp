#include "server/TenderBackend.h"
#include "tests/server/NoticeFixtures.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedTempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qv::server::test {

namespace {

qv::test::ProgramResult RunService(std::vector<std::string> arguments) {
    return qv::test::RunProgram(QV_SERVICE_PATH, arguments);
}

} // namespace

TEST(ImportProcess, SaysWhatItImportedAndFailsWhenNothingWas) {
    const qv::test::ScopedTempFolder scratch;
    const std::string package = scratch.Path() + "/daily.tar.gz";
    WriteArchive(package, {{"a.xml", NoticeText("contract-minimal.xml")},
                           {"b.xml", NoticeText("award.xml")},
                           {"c.xml", "<ContractNotice"}});
    const std::string db = scratch.Path() + "/tenders.db";
    const auto first = RunService({"--db", db, "--import", package});
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, "3 notices read, 2 imported, 0 replaced, 1 skipped\n");
    EXPECT_NE(first.err.find("quorvane-service: " + package + "/c.xml: not well-formed XML"),
              std::string::npos)
        << first.err;

    const auto again = RunService({"--db", db, "--import", package, scratch.Path() + "/missing"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.out, "3 notices read, 0 imported, 0 replaced, 3 skipped\n");
    EXPECT_NE(again.err.find("/missing: No such file or directory"), std::string::npos) << again.err;
}

TEST(ImportProcess, NamesFromPackagesCannotForgeTheSummary) {
    const qv::test::ScopedTempFolder scratch;
    const std::string package = scratch.Path() + "/daily.tar.gz";
    const std::string forged = "x\r\n99 notices read, 99 imported, 0 replaced, 0 skipped\n\x1B[2K";
    WriteArchive(package, {{forged + ".xml", "<broken"}});
    const auto run = RunService({"--db", scratch.Path() + "/tenders.db", "--import", package});
    EXPECT_EQ(run.out, "1 notice read, 0 imported, 0 replaced, 1 skipped\n");
    EXPECT_NE(run.err.find("/daily.tar.gz/x\\x0D\\x0A99 notices read, 99 imported, 0 replaced, 0 skipped\\x0A"
                           "\\x1B[2K.xml: not well-formed XML"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
}

TEST(ImportProcess, GeneratesANewDatabaseOnly) {
    const qv::test::ScopedTempFolder scratch;
    const std::string db = scratch.Path() + "/generated.db";
    const auto generated = RunService({"--db", db, "--generate", "1500", "--seed", "3"});
    EXPECT_EQ(generated.exitCode, 0) << generated.err;
    EXPECT_EQ(generated.out.rfind("1500 tenders generated into " + db + " in ", 0), 0u) << generated.out;
    // It holds the accounts' password hashes: for the service's user alone.
    using std::filesystem::perms;
    EXPECT_EQ(std::filesystem::status(db).permissions() & (perms::group_all | perms::others_all),
              perms::none);
    const auto database = TenderBackend::For(db)->OpenReader();
    EXPECT_GT(database->ListToday("EU", 0, 20).total, 0);
    EXPECT_GT(database->Search("services", "EU", 0, 20).total, 100);

    const auto again = RunService({"--db", db, "--generate", "10"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, "quorvane-service: " + db + ": exists already; --generate builds a new database\n");
    const auto import = RunService({"--db", db, "--import", QV_NOTICE_DIR});
    EXPECT_EQ(import.exitCode, 1);
    EXPECT_EQ(import.err,
              "quorvane-service: " + db + ": holds generated tenders; import into a new database\n");
}

} // namespace qv::server::test
