#include "framework/Registry.h"

#include <gtest/gtest.h>

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
    void SetUp() override {
        char templ[] = "/tmp/qv-registry-XXXXXX";
        dir_ = ::mkdtemp(templ);
        ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(dir_);
    }
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

    std::string dir_;
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
