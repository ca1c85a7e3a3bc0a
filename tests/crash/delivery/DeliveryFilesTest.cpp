#include "crash/delivery/DeliverySettings.h"
#include "crash/delivery/ReportFile.h"
#include "crash/delivery/ReportMail.h"
#include "tests/support/OtherUser.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedTempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace qv::crash::test {

namespace fs = std::filesystem;

namespace {

constexpr const char* kReport =
    "date/time         : 2024-03-01 09:05\r\nexception message : Access violation.";

// A scratch folder that anyone may write in, without the sticky bit: the system's protection of
// links in /tmp would otherwise hide what delivery does with a link another user made there.
void OpenToEveryone(const qv::test::ScopedTempFolder& folder) {
    fs::permissions(folder.Path(), fs::perms::all);
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(DeliveryFiles, LinksPlantedAtTheNamesDeliveryUsesAreNotFollowed) {
    if (!qv::test::CanActAsOtherUsers()) GTEST_SKIP() << "planting as another user needs root";
    const qv::test::ScopedTempFolder shared("qv-shared");
    OpenToEveryone(shared);
    const std::string victim = shared.Path() + "/victim";
    std::ofstream(victim) << "precious";
    const std::string tmp = shared.Path() + "/tmp";
    fs::create_directory(tmp);
    fs::permissions(tmp, fs::perms::all);
    const std::string reportFile = shared.Path() + "/bugreport.txt";
    ASSERT_TRUE(qv::test::AsOtherUser(qv::test::NobodyId(), [&] {
        return ::symlink(victim.c_str(), (tmp + "/screenShot.png").c_str()) == 0 &&
               ::symlink(victim.c_str(), reportFile.c_str()) == 0;
    }));
    const qv::test::ScopedEnvironment environment{{"TMPDIR", tmp}, {"PATH", shared.Path() + "/no-programs"}};
    DeliverySettings settings;
    settings.reportFileName = reportFile;
    // No way out: the files are made and must go again.
    const TReportMail::TOutcome outcome = TReportMail(settings).Mail(kReport, "PNG picture", false);
    EXPECT_EQ(outcome.result, TReportMail::TResult::Failed);
    EXPECT_FALSE(
        TReportFile::Save(kReport, TReportFile::AutomaticPath(settings), settings.reportFileMaxSize));
    EXPECT_EQ(qv::test::ReadFile(victim), "precious");
    EXPECT_EQ(Entries(tmp), std::vector<std::string>{"screenShot.png"}) << "nothing of the delivery is left";
}

TEST(DeliveryFiles, AReportFileThatIsNotTheUsersOwnPrivateFileTakesNoReport) {
    if (!qv::test::CanActAsOtherUsers()) GTEST_SKIP() << "planting as another user needs root";
    const qv::test::ScopedTempFolder shared("qv-shared");
    OpenToEveryone(shared);
    const std::string planted = shared.Path() + "/planted.txt";
    ASSERT_TRUE(qv::test::AsOtherUser(qv::test::NobodyId(), [&] {
        return static_cast<bool>(std::ofstream(planted)) && ::chmod(planted.c_str(), 0666) == 0;
    }));
    EXPECT_FALSE(TReportFile::Save(kReport, planted, 0));
    EXPECT_EQ(qv::test::ReadFile(planted), "") << "another user reads what lands in their file";

    // One an earlier version made readable by everyone is the user's own: it is made private.
    const std::string own = shared.Path() + "/own.txt";
    std::ofstream(own) << "older report\r\n";
    fs::permissions(own, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                             fs::perms::others_read);
    EXPECT_TRUE(TReportFile::Save(kReport, own, 0));
    EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST(DeliveryFiles, ProgramsInTheCurrentFolderAreNeverRun) {
    const qv::test::ScopedTempFolder folder("qv-shared");
    OpenToEveryone(folder);
    const std::string trapped = folder.Path() + "/trapped";
    fs::create_directory(folder.Path() + "/bin");
    for (const char* program : {"xdg-email", "xdg-open", "bin/xdg-email", "bin/xdg-open"}) {
        const std::string path = folder.Path() + "/" + program;
        std::ofstream(path) << "#!/bin/sh\necho " << program << " >> " << trapped << "\n";
        fs::permissions(path, fs::perms::owner_all);
    }
    const fs::path before = fs::current_path();
    fs::current_path(folder.Path());
    TReportMail::TOutcome outcome;
    {
        const qv::test::ScopedEnvironment environment{{"PATH", ":.:bin:" + folder.Path() + "/empty"},
                                                      {"TMPDIR", folder.Path()}};
        DeliverySettings settings;
        settings.mailAddress = "bugs@example.org";
        outcome = TReportMail(settings).Mail(kReport, "", false);
    }
    fs::current_path(before);
    EXPECT_EQ(outcome.result, TReportMail::TResult::Failed);
    EXPECT_FALSE(fs::exists(trapped)) << qv::test::ReadFile(trapped);
}

} // namespace qv::crash::test
