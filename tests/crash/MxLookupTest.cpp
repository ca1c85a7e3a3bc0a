#include "crash/delivery/MxLookup.h"
#include "crash/delivery/DnsMessage.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <functional>
#include <poll.h>
#include <random>
#include <thread>
#include <unistd.h>

namespace qv::crash::test {

namespace {

// Short waits: every case here answers at once or not at all.
constexpr int kWaitMs = 300;

void Word(std::string& out, uint16_t value) {
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
}

// An answer to the query: its header with the flags, the question copied, then the records.
std::string Answer(const std::string& query, uint16_t flags, uint16_t count, const std::string& records) {
    std::string answer = query.substr(0, 2);
    Word(answer, flags);
    Word(answer, 1);
    Word(answer, count);
    Word(answer, 0);
    Word(answer, 0);
    return answer + query.substr(12) + records;
}

// An MX record for the question's name (a pointer to offset 12) naming the host.
std::string MxRecord(uint16_t preference, const std::string& host) {
    std::string data;
    Word(data, preference);
    size_t start = 0;
    while (start < host.size()) {
        const size_t end = std::min(host.find('.', start), host.size());
        data += static_cast<char>(end - start);
        data += host.substr(start, end - start);
        start = end + 1;
    }
    data += '\0';
    std::string record = "\xC0\x0C";
    Word(record, TDnsMessage::kTypeMx);
    Word(record, 1);
    record += std::string(4, '\0');
    Word(record, static_cast<uint16_t>(data.size()));
    return record + data;
}

constexpr uint16_t kOk = 0x8180;
constexpr uint16_t kTruncated = 0x8380;
constexpr uint16_t kNoSuchName = 0x8183;

// A name server on 127.0.0.1 that answers each query with what the script returns (nothing: no
// answer), and records the names asked for.
class ScriptedNameServer {
public:
    using Script = std::function<std::vector<std::string>(const std::string& query)>;
    explicit ScriptedNameServer(Script script) : script_(std::move(script)) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedNameServer() {
        stop_.store(true);
        thread_.join();
        ::close(fd_);
    }
    TMxLookup::TServer Server() const { return *TMxLookup::Server("127.0.0.1", port_); }
    int Queries() const { return queries_.load(); }

private:
    int fd_;
    uint16_t port_ = 0;
    Script script_;
    std::atomic<bool> stop_{false};
    std::atomic<int> queries_{0};
    std::thread thread_;

    void Serve() {
        while (!stop_.load()) {
            pollfd entry{fd_, POLLIN, 0};
            if (::poll(&entry, 1, 20) <= 0) continue;
            char buffer[512];
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t got =
                ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (got <= 0) continue;
            ++queries_;
            for (const std::string& reply : script_(std::string(buffer, static_cast<size_t>(got))))
                ::sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
        }
    }
};

} // namespace

TEST(MxLookup, TheExchangerOfLowestPreferenceFromTheFirstUsableAnswer) {
    ScriptedNameServer server([](const std::string& query) {
        return std::vector<std::string>{
            Answer(query, kOk, 2, MxRecord(20, "backup.example.org") + MxRecord(10, "mx.example.org"))};
    });
    EXPECT_EQ(TMxLookup({server.Server()}, {}, kWaitMs).ExchangerFor("Someone <someone@example.org>"),
              "mx.example.org");
}

TEST(MxLookup, TruncatedAndMalformedAnswersAreLeftForABetterOne) {
    ScriptedNameServer broken([](const std::string& query) {
        const std::string whole = Answer(query, kTruncated, 1, MxRecord(10, "cut.example.org"));
        std::string loop = Answer(query, kOk, 1, "\xC0\x0C");
        loop[12] = '\xC0';
        loop[13] = '\x0C';
        return std::vector<std::string>{whole.substr(0, whole.size() - 6), loop,
                                        Answer(query, kOk, 1, MxRecord(10, "x")).substr(0, 11),
                                        Answer(query, kOk, 0, "")};
    });
    ScriptedNameServer good([](const std::string& query) {
        usleep(50000);
        return std::vector<std::string>{Answer(query, kOk, 1, MxRecord(5, "mx.example.org"))};
    });
    EXPECT_EQ(TMxLookup({broken.Server(), good.Server()}, {}, kWaitMs).Exchanger("example.org"),
              "mx.example.org");
    EXPECT_EQ(broken.Queries(), 1);
}

TEST(MxLookup, AnUnknownDomainIsTriedCutToItsLastThreeLabels) {
    std::vector<std::string> asked;
    ScriptedNameServer server([&asked](const std::string& query) {
        asked.push_back(query.substr(12, query.size() - 16));
        if (asked.size() == 1) return std::vector<std::string>{Answer(query, kNoSuchName, 0, "")};
        return std::vector<std::string>{Answer(query, kOk, 1, MxRecord(10, "mx.example.co.uk"))};
    });
    EXPECT_EQ(TMxLookup({server.Server()}, {}, kWaitMs).ExchangerFor("a@mail.dept.example.co.uk>"),
              "mx.example.co.uk");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], std::string("\4mail\4dept\7example\2co\2uk\0", 25));
    EXPECT_EQ(asked[1], std::string("\7example\2co\2uk\0", 15));
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
        Answer(query, kOk, 2, MxRecord(20, "backup.example.org") + MxRecord(10, "mx.example.org"));
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
