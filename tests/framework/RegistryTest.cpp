#include "framework/Registry.h"
#include "tests/support/OtherUser.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedTempFolder.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

namespace qv::framework::test {

namespace fs = std::filesystem;
using platform::DecodeRegistryValues;
using platform::EncodeRegistryValues;
using platform::RegistryStore;
using platform::RegistryValues;
using platform::TRegDataType;

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }
    std::string KeyFolder() const {
        return dir_ + "/quorvane/registry/HKEY_CURRENT_USER/Software/Quorvane/QVN";
    }
    static std::string MessageOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const ERegistryException& e) {
            return e.Message();
        }
        return "no error";
    }

    const qv::test::ScopedTempFolder folder_{"qv-registry"};
    const std::string& dir_ = folder_.Path();
};

TEST_F(RegistryTest, TypedValuesRoundTripInAPrivateStoreUnderTheConfigFolder) {
    TRegistry writer;
    ASSERT_TRUE(writer.OpenKey("\\Software\\Quorvane\\QVN", true));
    writer.WriteString("email", "anna@example.org");
    writer.WriteString("Password", std::string("p\xE9ss\0\n", 6));
    writer.WriteInteger("count", -7);
    writer.WriteBinaryData("blob", {0, 1, 0xFF});
    writer.CloseKey();

    TRegistry reader;
    ASSERT_TRUE(reader.OpenKey("\\Software\\Quorvane\\QVN", false));
    EXPECT_EQ(reader.ReadString("EMAIL"), "anna@example.org");
    EXPECT_EQ(reader.ReadString("password"), std::string("p\xE9ss\0\n", 6));
    EXPECT_EQ(reader.ReadInteger("count"), -7);
    EXPECT_EQ(reader.ReadBinaryData("blob"), (std::vector<uint8_t>{0, 1, 0xFF}));
    EXPECT_EQ(reader.GetDataType("count"), TRegDataType::rdInteger);
    EXPECT_EQ(reader.ReadString("missing"), "");
    EXPECT_TRUE(reader.DeleteValue("blob"));
    EXPECT_FALSE(reader.ValueExists("blob"));

    struct stat info {};
    ASSERT_EQ(::stat((KeyFolder() + "/values").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(KeyFolder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(std::distance(fs::directory_iterator(KeyFolder()), fs::directory_iterator()), 1)
        << "no temporary file is left beside the values";
    const auto written = fs::last_write_time(KeyFolder() + "/values");
    struct stat before {};
    ::stat((KeyFolder() + "/values").c_str(), &before);
    reader.WriteString("email", "anna@example.org");
    ::stat((KeyFolder() + "/values").c_str(), &info);
    EXPECT_EQ(info.st_ino, before.st_ino) << "writing back the stored value leaves the file alone";
    EXPECT_EQ(fs::last_write_time(KeyFolder() + "/values"), written);
}

TEST_F(RegistryTest, KeysOpenAbsoluteOrRelativeAndAreCreatedOnlyWhenAsked) {
    TRegistry registry;
    EXPECT_FALSE(registry.OpenKey("\\Software\\Quorvane\\QVN", false));
    EXPECT_FALSE(fs::exists(KeyFolder()));
    ASSERT_TRUE(registry.OpenKey("\\Software\\Quorvane", true));
    ASSERT_TRUE(registry.OpenKey("QVN", true));
    EXPECT_EQ(registry.CurrentPath(), "Software\\Quorvane\\QVN");
    EXPECT_TRUE(fs::is_directory(KeyFolder())) << "the key exists though nothing was written";
    for (const char* outside : {"\\..\\..\\escape", "\\Software\\.\\x", "\\"})
        EXPECT_FALSE(registry.OpenKey(outside, true)) << outside;
    EXPECT_EQ(registry.CurrentPath(), "Software\\Quorvane\\QVN");
}

TEST_F(RegistryTest, WrongTypesAndFailedWritesRaiseTheirMessages) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\Software\\Quorvane\\QVN", true));
    registry.WriteInteger("email", 1);
    registry.WriteBinaryData("empty", {});
    EXPECT_EQ(MessageOf([&] { registry.ReadString("email"); }), "Invalid data type for 'email'");
    EXPECT_EQ(registry.ReadString("empty"), "") << "a value of no data reads as empty text";
    EXPECT_EQ(MessageOf([&] { registry.ReadInteger("nothing"); }), "Failed to get data for 'nothing'");

    fs::remove(KeyFolder() + "/values");
    fs::create_directory(KeyFolder() + "/values");
    EXPECT_EQ(MessageOf([&] { registry.WriteString("password", "x"); }), "Failed to set data for 'password'");
    TRegistry closed;
    EXPECT_EQ(MessageOf([&] { closed.WriteString("email", "x"); }), "Failed to set data for 'email'");
}

TEST_F(RegistryTest, AKilledWriterLeavesTheOldOrTheNewValuesNeverAWreck) {
    const RegistryStore store;
    ASSERT_TRUE(store.WriteValues("Software\\Quorvane\\QVN", {{"email", std::string(5000, 'a')}}));
    for (int round = 0; round < 5; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i)
                store.WriteValues("Software\\Quorvane\\QVN", {{"email", std::string(5000 + i % 3000, 'b')}});
        }
        ::usleep(20000 + round * 7000);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const auto values = store.ReadValues("Software\\Quorvane\\QVN");
        ASSERT_TRUE(values.has_value()) << "round " << round;
        EXPECT_EQ(values->size(), 1u);
    }
}

TEST_F(RegistryTest, AWriteOverStoredValuesThatCannotBeReadFailsAndLeavesThem) {
    if (!qv::test::CanActAsOtherUsers()) GTEST_SKIP() << "a file its owner cannot read needs another user";
    // The store belongs to nobody, for whom a file without read permission is unreadable.
    ASSERT_EQ(::chown(dir_.c_str(), qv::test::NobodyId(), qv::test::NobodyId()), 0);
    const std::string values = KeyFolder() + "/values";
    EXPECT_TRUE(qv::test::AsOtherUser(qv::test::NobodyId(), [&] {
        TRegistry registry;
        if (!registry.OpenKey("\\Software\\Quorvane\\QVN", true)) return false;
        registry.WriteString("email", "anna@example.org");
        registry.WriteString("password", "secret");
        ::chmod(values.c_str(), 0200);
        const bool refused = MessageOf([&] { registry.WriteString("email", "eve@example.org"); }) ==
                             "Failed to set data for 'email'";
        const bool readsEmpty = registry.ReadString("password").empty();
        ::chmod(values.c_str(), 0600);
        return refused && readsEmpty && registry.ReadString("email") == "anna@example.org" &&
               registry.ReadString("password") == "secret";
    }));
}

TEST_F(RegistryTest, ADamagedStoreIsKeptAsideAndAFreshOneWritten) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\Software\\Quorvane\\QVN", true));
    std::ofstream(KeyFolder() + "/values") << "QVREG 1\ns 5 999\nemail";
    registry.WriteString("email", "anna@example.org");
    EXPECT_EQ(registry.ReadString("email"), "anna@example.org");
    std::vector<std::string> aside;
    for (const auto& entry : fs::directory_iterator(KeyFolder()))
        if (entry.path().filename() != "values") aside.push_back(entry.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(fs::path(aside[0]).filename().string().rfind("values.damaged-", 0), 0u) << aside[0];
    std::ifstream kept(aside[0]);
    std::string line;
    std::getline(kept, line, '\0');
    EXPECT_EQ(line, "QVREG 1\ns 5 999\nemail");
}

TEST_F(RegistryTest, WritersAtOnceLoseNoneOfEachOthersValues) {
    constexpr int kWriters = 3;
    constexpr int kValuesEach = 30;
    std::vector<pid_t> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TRegistry registry;
            registry.OpenKey("\\Software\\Quorvane\\QVN", true);
            for (int i = 0; i < kValuesEach; ++i)
                registry.WriteInteger("w" + std::to_string(writer) + "-" + std::to_string(i), i);
            ::_exit(0);
        }
        writers.push_back(child);
    }
    for (const pid_t writer : writers)
        ::waitpid(writer, nullptr, 0);
    const auto values = RegistryStore().ReadValues("Software\\Quorvane\\QVN");
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->size(), static_cast<size_t>(kWriters * kValuesEach));
}

TEST_F(RegistryTest, AWriteTidiesTheStore) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\Software\\Quorvane\\QVN", true));
    registry.WriteString("email", "anna@example.org");
    // What a writer that crashed left, and folders that others may enter.
    std::ofstream(KeyFolder() + "/values.Ab12Cd") << "half";
    const std::string root = dir_ + "/quorvane/registry";
    for (const std::string& folder : {root, KeyFolder()})
        ::chmod(folder.c_str(), 0755);
    registry.WriteString("password", "secret");
    EXPECT_FALSE(fs::exists(KeyFolder() + "/values.Ab12Cd"));
    for (const std::string& folder : {root, root + "/HKEY_CURRENT_USER", KeyFolder()}) {
        struct stat info {};
        ASSERT_EQ(::stat(folder.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
    }
}

TEST_F(RegistryTest, WhatAnotherUserPlantsInAStoreOthersCouldWriteIsNeitherReadNorWaitedFor) {
    if (!qv::test::CanActAsOtherUsers()) GTEST_SKIP() << "planting as another user needs root";
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\Software\\Quorvane\\QVN", true));
    const std::string values = KeyFolder() + "/values";
    const std::string elsewhere = dir_ + "/elsewhere";
    const std::string planted = EncodeRegistryValues({{"email", std::string("eve@example.org")}});
    const std::vector<std::pair<const char*, std::function<bool()>>> plants{
        {"a fifo", [&] { return ::mkfifo(values.c_str(), 0666) == 0; }},
        {"a link",
         [&] {
             std::ofstream(elsewhere) << planted;
             return ::symlink(elsewhere.c_str(), values.c_str()) == 0;
         }},
        {"a file of its own", [&] { return static_cast<bool>(std::ofstream(values) << planted); }},
    };
    for (const auto& [what, plant] : plants) {
        SCOPED_TRACE(what);
        fs::remove(values);
        fs::remove(elsewhere);
        // Folders others may write to, as a careless umask or an older version left them.
        for (fs::path folder = KeyFolder(); folder.string().size() >= dir_.size();
             folder = folder.parent_path())
            ::chmod(folder.c_str(), 0777);
        ASSERT_TRUE(qv::test::AsOtherUser(qv::test::NobodyId(), plant));
        // In a child, so that a read that waits for ever ends the test instead of holding it.
        const pid_t user = ::fork();
        ASSERT_GE(user, 0);
        if (user == 0) {
            ::alarm(30);
            const bool readNothing = registry.ReadString("email").empty();
            const bool refused = MessageOf([&] { registry.WriteString("email", "anna@example.org"); }) ==
                                 "Failed to set data for 'email'";
            ::_exit(readNothing && refused ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(user, &status, 0), user);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
    }
}

TEST(RegistryStoreFolder, IsNeverBelowTheCurrentFolder) {
    const passwd* user = ::getpwuid(::geteuid());
    ASSERT_NE(user, nullptr);
    for (const std::optional<std::string>& home :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative/home")}) {
        const qv::test::ScopedEnvironment environment{{"XDG_CONFIG_HOME", "relative/config"}, {"HOME", home}};
        EXPECT_EQ(RegistryStore().RootFolder(), std::string(user->pw_dir) + "/.config/quorvane/registry")
            << home.value_or("(unset)");
    }
}

TEST(RegistryFileTest, DamagedValueFilesReadAsNothingAndNeverCrash) {
    const RegistryValues values{
        {"email", std::string("a@b")}, {"n", int32_t{42}}, {"b", std::vector<uint8_t>{9}}};
    const std::string good = EncodeRegistryValues(values);
    ASSERT_EQ(DecodeRegistryValues(good), values);
    for (const char* bad :
         {"", "QVREG 2\n", "QVREG 1\ns 5 3\nemail", "QVREG 1\ni 1 2\nnxx\n",
          "QVREG 1\ns 99999999999999999999 1\n", "QVREG 1\nq 1 1\nab\n", "QVREG 1\ns 1 1\nabc"})
        EXPECT_FALSE(DecodeRegistryValues(bad).has_value()) << bad;
    std::mt19937 random(11);
    for (int i = 0; i < 5000; ++i) {
        std::string damaged = good;
        for (int n = 0; n < 1 + i % 4; ++n)
            damaged[random() % damaged.size()] = static_cast<char>(random());
        if (i % 3 == 0) damaged.resize(random() % damaged.size());
        const auto decoded = DecodeRegistryValues(damaged);
        if (decoded) {
            EXPECT_LE(decoded->size(), 3u);
        }
    }
}

} // namespace qv::framework::test
