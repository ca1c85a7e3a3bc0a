#include "app/CheckLogin.h"
#include "app/CredentialStore.h"
#include "framework/Registry.h"
#include "http/IdHTTP.h"
#include "service/ServiceExchange.h"

#include "tests/server/TestService.h"
#include "tests/support/client/ClientSandbox.h"
#include "tests/support/qt/QtTestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <thread>

namespace qv::app::test {

namespace {

[[maybe_unused]] const bool kQt = qv::test::RegisterQtTestEnvironment();

constexpr const char* kWrong = "Wrong email or password, please try again.";

struct Stored {
    std::optional<std::string> email;
    std::optional<std::string> password;
};

void Store(const Stored& stored) {
    framework::TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kCredentialKey, true));
    if (stored.email) registry.WriteString("email", *stored.email);
    if (stored.password) registry.WriteString("password", *stored.password);
}

Stored Remembered() {
    framework::TRegistry registry;
    if (!registry.OpenKey(kCredentialKey, false)) return {};
    Stored stored;
    if (registry.ValueExists("email")) stored.email = registry.ReadString("email");
    if (registry.ValueExists("password")) stored.password = registry.ReadString("password");
    return stored;
}

} // namespace

class CheckLoginTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { service_ = qv::server::test::StartService(); }
    static void TearDownTestSuite() { service_.reset(); }
    void SetUp() override {
        ASSERT_TRUE(service_->Started()) << service_->Log();
        sandbox_ = std::make_unique<qv::test::ClientSandbox>(service_->Port());
        state_.serviceHost = sandbox_->ServiceHost();
        service::ApplyServiceSettings(http_.Request());
    }
    void TearDown() override { sandbox_.reset(); }
    // The service logs a request after it has answered it: a count that should have grown is
    // read again for a while.
    static size_t LoginRequestsAfter(size_t expected) {
        size_t count = LoginRequests();
        for (int i = 0; i < 200 && count < expected; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            count = LoginRequests();
        }
        return count;
    }
    static size_t LoginRequests() {
        const std::string log = service_->Log();
        size_t count = 0;
        for (size_t at = log.find("action=check_login"); at != std::string::npos;
             at = log.find("action=check_login", at + 1))
            ++count;
        return count;
    }

    static inline std::unique_ptr<qv::test::PeerProcess> service_;
    std::unique_ptr<qv::test::ClientSandbox> sandbox_;
    http::TIdHTTP http_;
    service::ClientState state_;
};

TEST_F(CheckLoginTest, StartUpLoginFromTheStore) {
    const struct {
        const char* name;
        Stored stored;
        bool succeeds;
        bool sends;
        std::vector<QString> messages;
        Stored afterwards;
    } cases[] = {
        {"first run", {}, false, false, {}, {}},
        {"accepted", {"demo@quorvane.example", "demo"}, true, true, {}, {"demo@quorvane.example", "demo"}},
        {"refused",
         {"demo@quorvane.example", "wrong"},
         false,
         true,
         {kWrong},
         {"demo@quorvane.example", "wrong"}},
        {"e-mail alone",
         {"demo@quorvane.example", std::nullopt},
         false,
         false,
         {},
         {"demo@quorvane.example", {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sandbox_.reset(); // the old sandbox's end must not undo the new one
        sandbox_ = std::make_unique<qv::test::ClientSandbox>(service_->Port());
        if (c.stored.email || c.stored.password) Store(c.stored);
        state_ = {};
        state_.serviceHost = sandbox_->ServiceHost();
        const size_t before = LoginRequests();
        qv::test::MessageBoxRecorder messages;
        EXPECT_EQ(CheckLogin(state_, http_), c.succeeds);
        EXPECT_EQ(messages.Texts(), c.messages);
        EXPECT_EQ(LoginRequestsAfter(before + (c.sends ? 1 : 0)) - before, c.sends ? 1u : 0u);
        EXPECT_EQ(state_.email, c.stored.email.value_or(""));
        EXPECT_EQ(state_.password, c.stored.password.value_or(""));
        EXPECT_EQ(Remembered().email, c.afterwards.email);
        EXPECT_EQ(Remembered().password, c.afterwards.password);
        EXPECT_TRUE(std::filesystem::is_directory(
            sandbox_->ConfigHome() + "/quorvane/registry/HKEY_CURRENT_USER/Software/Quorvane/QVN"))
            << "the key is created even when nothing is written";
    }
    EXPECT_EQ(state_.loginTail, "");
}

TEST_F(CheckLoginTest, ASuccessKeepsTheDetailsAndRemembersTheTypedAccount) {
    state_.email = "ten@quorvane.example";
    state_.password = "demo";
    Store({"old@quorvane.example", "old"});
    ASSERT_TRUE(CheckLogin(state_, http_));
    EXPECT_EQ(state_.loginReply.substr(0, 4), "user");
    EXPECT_EQ(state_.loginTail, state_.loginReply.substr(4));
    EXPECT_NE(state_.loginTail.find("{{}}construction,software"), std::string::npos) << state_.loginTail;
    EXPECT_EQ(Remembered().email, "ten@quorvane.example");
    EXPECT_FALSE(http_.Connected()) << "no connection stays open between requests";
}

TEST_F(CheckLoginTest, AStoredValueThatIsNoTextIsRaisedAndNothingIsSent) {
    framework::TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kCredentialKey, true));
    registry.WriteInteger("password", 5);
    const size_t before = LoginRequests();
    try {
        CheckLogin(state_, http_);
        FAIL() << "no error";
    } catch (const framework::ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Invalid data type for 'password'");
    }
    EXPECT_EQ(LoginRequests(), before);
}

TEST_F(CheckLoginTest, TheProxyIsLookedUpOnEveryAttempt) {
    ::setenv("http_proxy", "http://127.0.0.1:9/", 1);
    EXPECT_FALSE(CheckLogin(state_, http_));
    EXPECT_EQ(state_.proxyHost, "127.0.0.1");
    EXPECT_EQ(state_.proxyPort, 9);
    ::unsetenv("http_proxy");
    EXPECT_FALSE(CheckLogin(state_, http_));
    EXPECT_EQ(state_.proxyHost, "");
    EXPECT_EQ(state_.proxyPort, 0);
}

} // namespace qv::app::test
