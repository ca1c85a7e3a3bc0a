#include "server/FrontEndLimits.h"
#include "tests/server/TestService.h"
#include "tests/support/LoopbackClient.h"
#include "tests/support/tls/TestCertificates.h"

#include <gtest/gtest.h>

#include <atomic>
#include <curl/curl.h>
#include <thread>

namespace qv::server::test {

namespace {

using namespace std::chrono_literals;
using qv::test::LoopbackClient;

const std::string kLogin = "/app.php?action=check_login&email=demo@quorvane.example&password=demo";
// How long an ordinary request may take while others misbehave: far less than any deadline
// for a slow client, and far more than a request takes.
constexpr auto kAnswered = 1s;
constexpr auto kPatience = 10s;

// The service twice on the same database: over HTTP, and over HTTPS with a certificate the test
// authority signed for 127.0.0.1. Each allows two connections for each client address.
class FrontEndProcessTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        plain_ = StartService({"--max-connections-per-address", "2"});
        secure_ = StartService({"--max-connections-per-address", "2", "--tls-cert",
                                qv::test::Certificates().good.cert, "--tls-key",
                                qv::test::Certificates().good.key});
    }
    static void TearDownTestSuite() {
        plain_.reset();
        secure_.reset();
    }

    void SetUp() override {
        ASSERT_TRUE(plain_->Started()) << plain_->Log();
        ASSERT_TRUE(secure_->Started()) << secure_->Log();
    }

    static qv::test::PeerProcess& Service(bool secure) { return secure ? *secure_ : *plain_; }

    // The body of a login from 127.0.0.1, or what went wrong, when it came within `limit`.
    static std::string Login(bool secure, std::chrono::milliseconds limit) {
        if (secure) {
            std::string error;
            return GetOverTls(secure_->Port(), kLogin, qv::test::Certificates().trustFile,
                              CURL_SSLVERSION_TLSv1_2, limit, error)
                .value_or(error);
        }
        LoopbackClient client(plain_->Port());
        client.Send("GET " + kLogin + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        const std::string reply = client.ReadReply(limit);
        return reply.empty() ? "no reply" : reply.substr(reply.find("\r\n\r\n") + 4);
    }

    static std::unique_ptr<qv::test::PeerProcess> plain_;
    static std::unique_ptr<qv::test::PeerProcess> secure_;

    static void ExpectSlowClientsHoldNoWorker(bool secure);
};

std::unique_ptr<qv::test::PeerProcess> FrontEndProcessTest::plain_;
std::unique_ptr<qv::test::PeerProcess> FrontEndProcessTest::secure_;

void FrontEndProcessTest::ExpectSlowClientsHoldNoWorker(bool secure) {
    // The first login checks the password the slow way; the timed one finds it checked.
    ASSERT_EQ(Login(secure, kPatience).substr(0, 4), "user");
    // Each slow client has an address of its own, below the cap; together they outnumber the
    // workers. Over HTTPS they stall in the handshake, over HTTP in the request head.
    const std::string slowBytes = secure ? std::string("\x16\x03\x01\x00\xC8\x01\x00\x00\xC4\x03\x03", 11)
                                         : "GET " + kLogin + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    std::vector<std::unique_ptr<LoopbackClient>> slow;
    for (int i = 0; i < FrontEndLimits().workers + 4; ++i) {
        slow.push_back(
            std::make_unique<LoopbackClient>(Service(secure).Port(), "127.0.0." + std::to_string(2 + i)));
        ASSERT_TRUE(slow.back()->Send(slowBytes.substr(0, 1)));
    }
    std::atomic<bool> done{false};
    std::thread dribble([&] {
        for (size_t at = 1; at < slowBytes.size() && !done; ++at) {
            for (auto& client : slow)
                client->Send(slowBytes.substr(at, 1));
            std::this_thread::sleep_for(100ms);
        }
    });
    EXPECT_EQ(Login(secure, kAnswered).substr(0, 4), "user");
    done = true;
    dribble.join();

    // Two connections more from a slow client's address are one over the cap.
    LoopbackClient second(Service(secure).Port(), "127.0.0.2");
    LoopbackClient third(Service(secure).Port(), "127.0.0.2");
    EXPECT_TRUE(third.ClosedWithin(kPatience));
}

} // namespace

TEST_F(FrontEndProcessTest, SlowClientsHoldNoWorkerOverHttp) {
    ExpectSlowClientsHoldNoWorker(false);
}

TEST_F(FrontEndProcessTest, StalledHandshakesHoldNoWorkerOverHttps) {
    ExpectSlowClientsHoldNoWorker(true);
}

TEST_F(FrontEndProcessTest, AnswersClientsThatCheckItsCertificateOverTls12And13) {
    // Scripts find the service's address in its start-up line.
    EXPECT_NE(secure_->Log().find("listening on https://127.0.0.1:" + std::to_string(secure_->Port()) +
                                  "/app.php\n"),
              std::string::npos);
    for (const long version : {CURL_SSLVERSION_TLSv1_2, CURL_SSLVERSION_TLSv1_3}) {
        std::string error;
        const auto body = GetOverTls(secure_->Port(), kLogin, qv::test::Certificates().trustFile, version,
                                     kPatience, error);
        EXPECT_EQ(body.value_or(error).substr(0, 4), "user") << version;
    }
    // A client that speaks plain HTTP to the HTTPS port gets nothing it could take for a reply.
    LoopbackClient plain(secure_->Port());
    ASSERT_TRUE(plain.Send("GET " + kLogin + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
    EXPECT_EQ(plain.ReadUntilClosed(kPatience).find("HTTP/1.1"), std::string::npos);
    EXPECT_NE(secure_->Log().find("127.0.0.1 TLS handshake failed: http request"), std::string::npos);
}

} // namespace qv::server::test
