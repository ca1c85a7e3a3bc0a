#include "crash/delivery/MxLookup.h"
#include "crash/delivery/DnsMessage.h"
#include "tests/support/crash/ScriptedNameServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <functional>
#include <mutex>
#include <random>
#include <set>
#include <unistd.h>

namespace qv::crash::test {

namespace {

// Short waits: every case here answers at once or not at all.
constexpr int kWaitMs = 300;

} // namespace

TEST(MxLookup, TheExchangerOfLowestPreferenceFromTheFirstUsableAnswer) {
    ScriptedNameServer server([](const std::string& query) {
        return std::vector<std::string>{DnsAnswer(
            query, kAnswerOk, 2, MxRecord(20, "backup.example.org") + MxRecord(10, "mx.example.org"))};
    });
    EXPECT_EQ(TMxLookup({server.Server()}, {}, kWaitMs).ExchangerFor("Someone <someone@example.org>"),
              "mx.example.org");
}

TEST(MxLookup, TruncatedAndMalformedAnswersAreLeftForABetterOne) {
    ScriptedNameServer broken([](const std::string& query) {
        const std::string whole = DnsAnswer(query, kAnswerTruncated, 1, MxRecord(10, "cut.example.org"));
        std::string loop = DnsAnswer(query, kAnswerOk, 1, "\xC0\x0C");
        loop[12] = '\xC0';
        loop[13] = '\x0C';
        return std::vector<std::string>{whole.substr(0, whole.size() - 6), loop,
                                        DnsAnswer(query, kAnswerOk, 1, MxRecord(10, "x")).substr(0, 11),
                                        DnsAnswer(query, kAnswerOk, 0, "")};
    });
    ScriptedNameServer good([](const std::string& query) {
        usleep(50000);
        return std::vector<std::string>{DnsAnswer(query, kAnswerOk, 1, MxRecord(5, "mx.example.org"))};
    });
    EXPECT_EQ(TMxLookup({broken.Server(), good.Server()}, {}, kWaitMs).Exchanger("example.org"),
              "mx.example.org");
    EXPECT_EQ(broken.Queries(), 1);
}

TEST(MxLookup, OnlyTheAnswerToTheQueryAndItsNamesRecordsCount) {
    using TReplies = std::vector<std::string>;
    const struct {
        const char* what;
        std::function<TReplies(const std::string&)> replies;
        std::optional<std::string> exchanger;
    } cases[] = {
        {"forgeries before the answer",
         [](const std::string& query) {
             std::string otherId = DnsAnswer(query, kAnswerOk, 1, MxRecord(1, "evil.example"));
             otherId[1] = static_cast<char>(otherId[1] ^ 1);
             const std::string otherQuestion =
                 TDnsMessage::Query(QueryId(query), "unrelated.example", TDnsMessage::kTypeMx);
             return TReplies{otherId, DnsAnswer(otherQuestion, kAnswerOk, 1, MxRecord(1, "evil.example")),
                             DnsAnswer(query, kAnswerOk, 1, MxRecord(10, "mx.example.org"))};
         },
         "mx.example.org"},
        {"records of another name",
         [](const std::string& query) {
             return TReplies{
                 DnsAnswer(query, kAnswerOk, 1, MxRecordOf("unrelated.example", 1, "evil.example"))};
         },
         std::nullopt},
        {"an alias within the answer",
         [](const std::string& query) {
             return TReplies{DnsAnswer(query, kAnswerOk, 3,
                                       CnameRecord("EXAMPLE.org", "mail.example.net") +
                                           MxRecordOf("other.example", 1, "evil.example") +
                                           MxRecordOf("mail.example.net", 10, "mx.example.net"))};
         },
         "mx.example.net"},
    };
    for (const auto& c : cases) {
        ScriptedNameServer server(c.replies);
        EXPECT_EQ(TMxLookup({server.Server()}, {}, kWaitMs).Exchanger("example.org"), c.exchanger) << c.what;
    }
}

TEST(MxLookup, EachQueryHasAnIdOfItsOwnAndASocketOfItsOwn) {
    std::mutex mutex;
    std::set<uint16_t> ids;
    ScriptedNameServer server([&](const std::string& query) {
        const std::lock_guard lock(mutex);
        ids.insert(QueryId(query));
        return std::vector<std::string>{DnsAnswer(query, kAnswerOk, 1, MxRecord(10, "mx.example.org"))};
    });
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(TMxLookup({server.Server()}, {}, kWaitMs).Exchanger("example.org"), "mx.example.org");
    const std::vector<uint16_t> ports = server.SourcePorts();
    const std::lock_guard lock(mutex);
    EXPECT_GT(ids.size(), 1u) << "every query a new random id";
    EXPECT_GT(std::set<uint16_t>(ports.begin(), ports.end()).size(), 1u);
}

TEST(MxLookup, AnUnknownDomainIsTriedCutToItsLastThreeLabels) {
    std::vector<std::string> asked;
    ScriptedNameServer server([&asked](const std::string& query) {
        asked.push_back(query.substr(12, query.size() - 16));
        if (asked.size() == 1) return std::vector<std::string>{DnsAnswer(query, kAnswerNoSuchName, 0, "")};
        return std::vector<std::string>{DnsAnswer(query, kAnswerOk, 1, MxRecord(10, "mx.example.co.uk"))};
    });
    EXPECT_EQ(TMxLookup({server.Server()}, {}, kWaitMs).ExchangerFor("a@mail.dept.example.co.uk>"),
              "mx.example.co.uk");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], std::string("\4mail\4dept\7example\2co\2uk\0", 25));
    EXPECT_EQ(asked[1], std::string("\7example\2co\2uk\0", 15));
}

TEST(MxLookup, WithoutConfiguredServersTheRootsReferralsAreFollowed) {
    ScriptedNameServer exchanger([](const std::string& query) {
        return std::vector<std::string>{DnsAnswer(query, kAnswerOk, 1, MxRecord(10, "mx.example.org"))};
    });
    // The root knows only who serves the domain: ns.example.org at 127.0.0.1.
    ScriptedNameServer root([](const std::string& query) {
        const std::string host("\2ns\7example\3org\0", 16);
        std::string referral = DnsAnswer(query, kAnswerOk, 0, "");
        referral[9] = 1;
        referral[11] = 1;
        referral += std::string("\xC0\x0C\0\2\0\1\0\0\0\0\0\x10", 12) + host;
        referral += host + std::string("\0\1\0\1\0\0\0\0\0\4\x7F\0\0\1", 14);
        return std::vector<std::string>{referral};
    });
    const int exchangerPort =
        ntohs(reinterpret_cast<const sockaddr_in&>(exchanger.Server().address).sin_port);
    EXPECT_EQ(TMxLookup({}, {root.Server()}, kWaitMs, exchangerPort).Exchanger("example.org"),
              "mx.example.org");
    EXPECT_EQ(root.Queries(), 1);
}

TEST(MxLookup, NoAnswerGivesNothingAfterTheWait) {
    ScriptedNameServer silent([](const std::string&) { return std::vector<std::string>{}; });
    EXPECT_FALSE(TMxLookup({silent.Server()}, {}, kWaitMs).ExchangerFor("a@example.org"));
}

TEST(MxLookup, TheQueryAsksForMxWithRecursion) {
    EXPECT_EQ(TDnsMessage::Query(1, "example.org", TDnsMessage::kTypeMx),
              std::string("\0\1\1\0\0\1\0\0\0\0\0\0\7example\3org\0\0\17\0\1", 29));
    const auto servers = TMxLookup::ConfiguredServers("/dev/null");
    EXPECT_TRUE(servers.empty());
}

TEST(DnsMessage, DamagedAnswersNeitherCrashNorHang) {
    const std::string query = TDnsMessage::Query(1, "example.org", TDnsMessage::kTypeMx);
    const std::string answer =
        DnsAnswer(query, kAnswerOk, 2, MxRecord(20, "backup.example.org") + MxRecord(10, "mx.example.org"));
    ASSERT_TRUE(TDnsMessage::Parse(answer));
    std::mt19937 random(12);
    for (int round = 0; round < 20000; ++round) {
        std::string damaged = answer.substr(0, random() % (answer.size() + 1));
        for (int flips = random() % 4; flips >= 0 && !damaged.empty(); --flips)
            damaged[random() % damaged.size()] = static_cast<char>(random());
        if (const auto parsed = TDnsMessage::Parse(damaged)) {
            for (const TDnsMessage::TRecord& record : parsed->answers)
                EXPECT_LE(record.data.size(), 255u);
        }
    }
}

} // namespace qv::crash::test
