#include "tools/GetOptions.h"

#include <gtest/gtest.h>

#include <random>

namespace qv::tools::test {
namespace {

std::optional<GetOptions> Parse(std::vector<std::string> args, std::string* errorOut = nullptr) {
    std::string error;
    auto options = ParseGetOptions(args, error);
    EXPECT_EQ(options.has_value(), error.empty()) << error;
    if (errorOut) *errorOut = error;
    return options;
}

TEST(GetOptions, ReadsEveryOption) {
    const auto o = Parse({"--proxy", "proxy.local:3128", "--socks4a", "10.0.0.1:1080", "--post", "body.bin",
                          "--follow=7", "--timeout", "5", "--http10", "--status", "http://h/p"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->proxyHost, "proxy.local");
    EXPECT_EQ(o->proxyPort, 3128);
    EXPECT_EQ(o->socks, GetOptions::Socks::V4A);
    EXPECT_EQ(o->socksHost, "10.0.0.1");
    EXPECT_EQ(o->socksPort, 1080);
    EXPECT_EQ(o->postFile, "body.bin");
    EXPECT_TRUE(o->follow);
    EXPECT_EQ(o->redirectMaximum, 7);
    EXPECT_EQ(o->timeoutSeconds, 5);
    EXPECT_TRUE(o->http10);
    EXPECT_TRUE(o->status);
    EXPECT_FALSE(o->head);
    EXPECT_EQ(o->url, "http://h/p");
}

TEST(GetOptions, FollowWithoutNumberKeepsTheClientsMaximum) {
    const auto o = Parse({"--follow", "--head", "http://h/"});
    ASSERT_TRUE(o);
    EXPECT_TRUE(o->follow);
    EXPECT_FALSE(o->redirectMaximum);
    EXPECT_FALSE(o->timeoutSeconds);
    EXPECT_TRUE(o->head);
    EXPECT_EQ(o->socks, GetOptions::Socks::None);
    EXPECT_TRUE(o->proxyHost.empty());
}

TEST(GetOptions, HelpNeedsNoUrl) {
    const auto o = Parse({"--help"});
    ASSERT_TRUE(o);
    EXPECT_TRUE(o->help);
}

TEST(GetOptions, RejectsMalformedHostAndPort) {
    for (const char* bad : {"host", ":80", "host:", "host:0", "host:65536", "host:8x", "host:-1", "host:+80",
                            "host: 80", "host:0000080"}) {
        for (const char* option : {"--proxy", "--socks4", "--socks5"}) {
            std::string error;
            EXPECT_FALSE(Parse({option, bad, "http://h/"}, &error)) << option << " " << bad;
            EXPECT_NE(error.find(option), std::string::npos) << error;
        }
    }
    const auto o = Parse({"--proxy", "h:65535", "http://h/"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->proxyPort, 65535);
}

TEST(GetOptions, RejectsBadCommandLines) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--status"},
        {"http://a/", "http://b/"},
        {"--proxy"},
        {"http://h/", "--post"},
        {"--post", "", "http://h/"},
        {"--head", "--post", "f", "http://h/"},
        {"--socks4", "h:1", "--socks5", "h:2", "http://h/"},
        {"--follow=", "http://h/"},
        {"--follow=x", "http://h/"},
        {"--follow=-1", "http://h/"},
        {"--follow=1234567890", "http://h/"},
        {"--timeout", "http://h/"},
        {"--timeout", "-1", "http://h/"},
        {"--timeout", "1234567", "http://h/"},
        {"--verbose", "http://h/"},
        {"-x", "http://h/"},
        {"", "http://h/"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(Parse(args, &error)) << ::testing::PrintToString(args);
        EXPECT_FALSE(error.empty());
    }
}

TEST(GetOptions, RandomCommandLinesNeverThrow) {
    const std::vector<std::string> tokens = {
        "--proxy",   "--socks4",   "--socks4a", "--socks5", "--head",   "--post", "--follow",
        "--follow=", "--follow=3", "--timeout", "--http10", "--status", "--help", "h:1",
        "h:",        ":1",         "http://h/", "-",        "--",       ""};
    std::mt19937 random(20261209);
    for (int run = 0; run < 3000; ++run) {
        std::vector<std::string> args(random() % 7);
        for (auto& arg : args) {
            if (random() % 4 == 0) {
                arg.resize(random() % 12);
                for (auto& c : arg)
                    c = static_cast<char>(random() % 256);
            } else {
                arg = tokens[random() % tokens.size()];
            }
        }
        std::string error;
        std::optional<GetOptions> o;
        ASSERT_NO_THROW(o = ParseGetOptions(args, error)) << ::testing::PrintToString(args);
        if (!o) continue;
        EXPECT_TRUE(o->help || !o->url.empty());
        EXPECT_TRUE(o->proxyHost.empty() || (o->proxyPort >= 1 && o->proxyPort <= 65535));
        EXPECT_TRUE(o->socks == GetOptions::Socks::None || (o->socksPort >= 1 && o->socksPort <= 65535));
    }
}

} // namespace
} // namespace qv::tools::test
