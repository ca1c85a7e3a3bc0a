#include "server/LoginThrottle.h"
#include "server/RequestHandler.h"
#include "tests/server/TestService.h"

#include <gtest/gtest.h>

namespace qv::server::test {
namespace {

struct ManualClock {
    std::chrono::steady_clock::time_point now{};
    LoginThrottle::Clock Reader() {
        return [this] { return now; };
    }
};

TEST(LoginThrottleTest, AnAddressThatFailedTooOftenWaitsForAQuietPeriod) {
    ManualClock clock;
    LoginThrottle throttle(clock.Reader());
    for (int i = 0; i < LoginThrottle::kMaxFailures; ++i) {
        EXPECT_TRUE(throttle.MayTry("a"));
        throttle.Failed("a");
        clock.now += std::chrono::seconds(10);
    }
    EXPECT_FALSE(throttle.MayTry("a"));
    EXPECT_TRUE(throttle.MayTry("b"));
    clock.now += LoginThrottle::kQuietPeriod;
    EXPECT_TRUE(throttle.MayTry("a"));
    // The count starts over after the quiet period.
    throttle.Failed("a");
    EXPECT_TRUE(throttle.MayTry("a"));
}

TEST(LoginThrottleTest, SuccessAndSlowFailuresDoNotAddUp) {
    ManualClock clock;
    LoginThrottle throttle(clock.Reader());
    for (int i = 0; i < 2 * LoginThrottle::kMaxFailures; ++i) {
        throttle.Failed("slow");
        clock.now += LoginThrottle::kQuietPeriod;
    }
    EXPECT_TRUE(throttle.MayTry("slow"));
    for (int i = 1; i < LoginThrottle::kMaxFailures; ++i)
        throttle.Failed("fast");
    throttle.Succeeded("fast");
    for (int i = 1; i < LoginThrottle::kMaxFailures; ++i)
        throttle.Failed("fast");
    EXPECT_TRUE(throttle.MayTry("fast"));
    throttle.Failed("fast");
    EXPECT_FALSE(throttle.MayTry("fast"));
}

TEST(LoginThrottleTest, AFullTableMakesRoomFirstForAddressesThatKeptQuiet) {
    ManualClock clock;
    LoginThrottle throttle(clock.Reader(), 2);
    throttle.Failed("old");
    clock.now += LoginThrottle::kQuietPeriod;
    for (int i = 0; i < LoginThrottle::kMaxFailures; ++i)
        throttle.Failed("locked");
    throttle.Failed("newcomer");
    EXPECT_FALSE(throttle.MayTry("locked"));
    // With no quiet address left the table starts over.
    throttle.Failed("another");
    EXPECT_TRUE(throttle.MayTry("locked"));
}

TEST(LoginThrottleTest, UnknownAccountsCountAsFailedLoginsOfTheirAddress) {
    RequestHandler handler(ServiceDatabasePath());
    const auto login = [&handler](const std::string& email, const std::string& peer) {
        return handler.Handle({{"action", "check_login"}, {"email", email}, {"password", "demo"}}, peer);
    };
    for (int i = 0; i < LoginThrottle::kMaxFailures; ++i)
        EXPECT_EQ(login("nobody" + std::to_string(i) + "@quorvane.example", "192.0.2.1"), "Bad login");
    EXPECT_EQ(login("demo@quorvane.example", "192.0.2.1"), "Bad login");
    EXPECT_NE(login("demo@quorvane.example", "192.0.2.2"), "Bad login");
    // Once its password passed, the account goes on from the throttled address too.
    EXPECT_NE(login("demo@quorvane.example", "192.0.2.1"), "Bad login");
    for (int i = 0; i <= LoginThrottle::kMaxFailures; ++i)
        EXPECT_EQ(login("nobody@quorvane.example", ""), "Bad login");
    EXPECT_NE(login("ten@quorvane.example", ""), "Bad login");
}

} // namespace
} // namespace qv::server::test
