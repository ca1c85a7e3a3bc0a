#include "platform/CompanionFiles.h"

#include "tests/support/ScopedTempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace qv::platform::test {
namespace {

TEST(CompanionFiles, LieBesideTheProgramOrInThePrivateFolderBesideItsBin) {
    const struct {
        const char* program;
        std::vector<std::string> folders;
    } cases[] = {
        {"/usr/bin/quorvane", {"/usr/bin", "/usr/lib/quorvane"}},
        {"/home/ann/.local/bin/quorvane", {"/home/ann/.local/bin", "/home/ann/.local/lib/quorvane"}},
        {"/src/build/app/quorvane", {"/src/build/app", "/src/build/lib/quorvane"}},
        // Never the current folder.
        {"quorvane", {}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompanionFolders(c.program), c.folders) << c.program;
}

TEST(CompanionFiles, TheFirstFileThatGrantsTheModeIsFound) {
    const qv::test::ScopedTempFolder folder("qv-companion");
    const fs::path root = folder.Path();
    fs::create_directories(root / "bin");
    fs::create_directories(root / "lib/quorvane");
    const std::string program = (root / "bin/program").string();
    std::ofstream(root / "bin/helper") << "beside";
    std::ofstream(root / "lib/quorvane/helper") << "private";
    fs::permissions(root / "lib/quorvane/helper", fs::perms::owner_exec, fs::perm_options::add);

    EXPECT_EQ(FindCompanionFile(program, "helper"), (root / "bin/helper").string());
    EXPECT_EQ(FindCompanionFile(program, "helper", X_OK), (root / "lib/quorvane/helper").string());
    EXPECT_EQ(FindCompanionFile(program, "missing"), "");
}

} // namespace
} // namespace qv::platform::test
