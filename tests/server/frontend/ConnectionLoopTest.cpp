#include "server/frontend/ConnectionLoop.h"
#include "server/frontend/HttpReply.h"
#include "tests/support/LoopbackClient.h"
#include "tests/support/OtherUser.h"

#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

namespace qv::server::test {

namespace {

using namespace std::chrono_literals;
using qv::test::LoopbackClient;

// Far more than the socket buffers of both ends hold.
constexpr size_t kHugeBody = 32 * 1024 * 1024;
// How long a test waits for what must happen at once or after one of the short deadlines.
constexpr auto kPatience = 10s;

std::string Request(const std::string& path, const std::string& extra = "") {
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "\r\n";
}

std::string BodyOf(const std::string& reply) {
    const size_t end = reply.find("\r\n\r\n");
    return end == std::string::npos ? "(no reply)" : reply.substr(end + 4);
}

// A loop with a single worker and short deadlines, answering each path with itself (/huge
// with a body no socket buffer holds, /login-key with the key failed logins count under), so
// that a client that holds the worker, or a wait without an end, shows at once.
class ConnectionLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        FrontEndLimits limits;
        limits.workers = 1;
        limits.maxConnectionsPerAddress = 2;
        limits.headTimeout = limits.idleTimeout = limits.sendTimeout = limits.lingerTimeout = 300ms;
        loop_ = std::make_unique<ConnectionLoop>(
            limits, [](const RequestHead& request, const ClientAddress& client) {
                static const std::string huge(kHugeBody, 'h');
                const std::string body = request.path == "/huge"        ? huge
                                         : request.path == "/login-key" ? client.loginKey
                                                                        : request.path;
                return FormatReply(kStatusOk, body, request.keepAlive);
            });
        port_ = static_cast<uint16_t>(loop_->Bind("127.0.0.1", 0));
        thread_ = std::thread([this] { loop_->Run(); });
    }
    void TearDown() override {
        loop_->Stop();
        thread_.join();
    }

    // An ordinary client from another address is answered while others misbehave.
    void ExpectOthersServed(const std::string& from = "127.0.0.9") {
        LoopbackClient other(port_, from);
        ASSERT_TRUE(other.Send(Request("/other")));
        EXPECT_EQ(BodyOf(other.ReadReply(kPatience)), "/other");
    }

    std::unique_ptr<ConnectionLoop> loop_;
    uint16_t port_ = 0;
    std::thread thread_;
};

} // namespace

TEST_F(ConnectionLoopTest, KeepsConnectionsAliveAndAnswersPipelinedRequestsInOrder) {
    LoopbackClient client(port_);
    ASSERT_TRUE(client.Send(Request("/one") + Request("/two")));
    EXPECT_EQ(BodyOf(client.ReadReply(kPatience)), "/one");
    EXPECT_EQ(BodyOf(client.ReadReply(kPatience)), "/two");
    ASSERT_TRUE(client.Send(Request("/three", "Connection: close\r\n")));
    const std::string last = client.ReadReply(kPatience);
    EXPECT_NE(last.find("Connection: close\r\n"), std::string::npos) << last;
    EXPECT_TRUE(client.ClosedWithin(kPatience));

    LoopbackClient old(port_);
    ASSERT_TRUE(old.Send("GET /old HTTP/1.0\r\n\r\n"));
    EXPECT_EQ(BodyOf(old.ReadUntilClosed(kPatience)), "/old");
}

TEST_F(ConnectionLoopTest, EveryWaitForAClientEndsAndHoldsNoWorker) {
    // A head sent a byte at a time never gets its deadline moved by the bytes.
    LoopbackClient dribbling(port_, "127.0.0.2");
    ASSERT_TRUE(dribbling.Send("GET /slow HTTP/1.1\r\nX-Slow: "));
    bool closed = false;
    for (int i = 0; i < 200 && !closed; ++i)
        closed = !dribbling.Send("a") || dribbling.ClosedWithin(50ms);
    EXPECT_TRUE(closed);

    LoopbackClient idle(port_, "127.0.0.3");
    ASSERT_TRUE(idle.Send(Request("/idle")));
    EXPECT_EQ(BodyOf(idle.ReadReply(kPatience)), "/idle");
    EXPECT_TRUE(idle.ClosedWithin(kPatience));

    // A client that never reads its reply: the worker has long gone on when the reply's
    // deadline passes, and what the client reads afterwards ends short of the whole.
    LoopbackClient deaf(port_, "127.0.0.4");
    ASSERT_TRUE(deaf.Send(Request("/huge")));
    ExpectOthersServed();
    std::this_thread::sleep_for(2s);
    const std::string received = deaf.ReadUntilClosed(kPatience);
    EXPECT_TRUE(deaf.ClosedWithin(0ms));
    EXPECT_LT(received.size(), kHugeBody);
}

TEST_F(ConnectionLoopTest, RefusesConnectionsBeyondTheCapOfOneAddress) {
    auto first = std::make_unique<LoopbackClient>(port_, "127.0.0.2");
    LoopbackClient second(port_, "127.0.0.2");
    ASSERT_TRUE(first->Send("G") && second.Send("G"));
    // The loop counts a connection once it has taken it: the first two are in when it answers.
    ExpectOthersServed();
    LoopbackClient third(port_, "127.0.0.2");
    EXPECT_TRUE(third.ClosedWithin(kPatience));
    ExpectOthersServed("127.0.0.3");

    first.reset();
    // The count goes down when the loop has seen the close, which a served request waits for.
    ExpectOthersServed();
    LoopbackClient fourth(port_, "127.0.0.2");
    ASSERT_TRUE(fourth.Send(Request("/fourth")));
    EXPECT_EQ(BodyOf(fourth.ReadReply(kPatience)), "/fourth");
}

TEST_F(ConnectionLoopTest, AnotherLocalUserCannotUseUpTheSharesOfTheSharedAddress) {
    if (!qv::test::CanActAsOtherUsers()) GTEST_SKIP() << "connecting as another user needs root";
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    // The other user holds as many connections from 127.0.0.2 as the cap allows, until released,
    // and tells the key of its failed logins.
    std::thread other([&] {
        qv::test::AsOtherUser(qv::test::NobodyId(), [&] {
            ::close(release[1]);
            LoopbackClient first(port_, "127.0.0.2");
            LoopbackClient second(port_, "127.0.0.2");
            const std::string key = second.Send("G") && first.Send(Request("/login-key"))
                                        ? BodyOf(first.ReadReply(kPatience))
                                        : std::string();
            char byte = 0;
            return ::write(ready[1], key.data(), key.size()) == static_cast<ssize_t>(key.size()) &&
                   ::read(release[0], &byte, 1) >= 0;
        });
        ::close(ready[1]);
    });
    char key[256] = {};
    const ssize_t got = ::read(ready[0], key, sizeof key - 1);
    if (got > 0) {
        LoopbackClient own(port_, "127.0.0.2");
        ASSERT_TRUE(own.Send(Request("/login-key")));
        const std::string ownKey = BodyOf(own.ReadReply(kPatience));
        EXPECT_NE(ownKey, "(no reply)");
        EXPECT_NE(ownKey, key);
    }
    ::close(release[1]);
    other.join();
    ::close(ready[0]);
    ::close(release[0]);
    EXPECT_GT(got, 0);
}

TEST_F(ConnectionLoopTest, RefusesAnOversizedHeadWithAReplyThatArrivesWhole) {
    LoopbackClient client(port_);
    ASSERT_TRUE(client.Send("GET /" + std::string(kMaxHeadBytes * 2, 'a') + " HTTP/1.1\r\nHost: a\r\n\r\n"));
    const std::string reply = client.ReadUntilClosed(kPatience);
    EXPECT_EQ(reply.substr(0, 21), "HTTP/1.1 414 URI Too ") << reply.substr(0, 40);
    EXPECT_EQ(BodyOf(reply), "URI Too Long");
}

} // namespace qv::server::test
