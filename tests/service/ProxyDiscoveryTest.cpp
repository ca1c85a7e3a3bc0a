#include "service/FindProxy.h"
#include "service/ServiceHost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace qv::service::test {
namespace {

TEST(FindProxyIn, FollowsTheTableOfListTexts) {
    const struct {
        const char* list;
        const char* host;
        int32_t port;
    } cases[] = {
        {"", "", 0},
        {"proxy:8080", "proxy", 8080},
        {"http=proxy:8080;https=secure:8443", "proxy", 8080},
        {"https=secure:8443;http=proxy:3128", "proxy", 3128},
        {"http=proxy", "", 0},
        {"proxy:abc", "proxy", 0},
        // Entries for other schemes only: no proxy for http.
        {"ftp=files:21;https=secure:8443", "", 0},
        {"https=secure:8443", "", 0},
        {"HTTP=upper:1;http=lower:2", "lower", 2},
        {"http=a:1;http=b:2", "a", 1},
        {"http=:3128", "", 3128},
        {"http=proxy:99999999999", "proxy", 0},
    };
    for (const auto& c : cases) {
        const ProxySetting setting = FindProxyIn(c.list, "http");
        EXPECT_EQ(setting.host, c.host) << c.list;
        EXPECT_EQ(setting.port, c.port) << c.list;
    }
}

TEST(FindProxyIn, RandomListsNeverCrash) {
    std::mt19937 random(29);
    const std::string alphabet = "http=s:;0123456789ab";
    for (int round = 0; round < 3000; ++round) {
        std::string list(random() % 40, ' ');
        for (auto& c : list)
            c = round % 3 ? alphabet[random() % alphabet.size()] : static_cast<char>(random());
        const ProxySetting setting = FindProxyIn(list, "http");
        EXPECT_LE(setting.host.size(), list.size());
    }
}

TEST(FindProxy, ReadsTheSystemsProxyList) {
    ::setenv("http_proxy", "http://proxy:3128/", 1);
    const ProxySetting setting = FindProxy("http");
    ::unsetenv("http_proxy");
    EXPECT_EQ(setting.host, "proxy");
    EXPECT_EQ(setting.port, 3128);
}

TEST(ReadServiceHost, TakesTheEnvironmentOnlyWhenItIsAHost) {
    ::unsetenv("QUORVANE_SERVICE_HOST");
    EXPECT_EQ(ReadServiceHost(), kServiceHost);
    ::setenv("QUORVANE_SERVICE_HOST", "127.0.0.1:8080", 1);
    EXPECT_EQ(ReadServiceHost(), "127.0.0.1:8080");
    ::setenv("QUORVANE_SERVICE_HOST", "evil.example/x?", 1);
    EXPECT_EQ(ReadServiceHost(), kServiceHost);
    ::unsetenv("QUORVANE_SERVICE_HOST");
    for (const char* bad :
         {"", ":80", "h:", "h:0", "h:65536", "h:-1", "h:1x", "u@h", "h h", "h:80:81", "[::1]"})
        EXPECT_EQ(UsableServiceHost(bad), "") << bad;
    EXPECT_EQ(UsableServiceHost("tenders.example"), "tenders.example");
    for (const char* bad : {"https://", "ftp://h", "https://h/x", "https://u@h", "http:/h"})
        EXPECT_EQ(UsableServiceHost(bad), "") << bad;
    EXPECT_EQ(UsableServiceHost("HTTPS://tenders.example:8443"), "https://tenders.example:8443");
    EXPECT_EQ(ServiceScheme(UsableServiceHost("https://h")), "https");
    EXPECT_EQ(ServiceScheme(UsableServiceHost("http://h")), "http");
    EXPECT_EQ(ServiceScheme(UsableServiceHost("h")), "http");
}

} // namespace
} // namespace qv::service::test
