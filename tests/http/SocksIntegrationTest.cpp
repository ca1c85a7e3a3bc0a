#include "http/IdHTTP.h"
#include "tests/support/RealPeers.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/Socks4aResponder.h"

#include <gtest/gtest.h>

namespace qv::http::test {

using qv::test::PeerProcess;
using qv::test::PeerRunning;
using qv::test::ScriptedServer;
using qv::test::Socks4aResponder;
using qv::test::StartDante;

namespace {

const char* const kReply = "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nvia socks";

struct SocksCase {
    http::TSocksVersion version;
    const char* targetHost;
};

class SocksThroughDante : public ::testing::TestWithParam<SocksCase> {};

TEST_P(SocksThroughDante, GetReachesTheOriginThroughTheHandshake) {
    ScriptedServer origin(ScriptedServer::Reply(kReply));
    const auto dante = StartDante();
    ASSERT_TRUE(PeerRunning(*dante));

    http::TIdHTTP client;
    client.SocksInfo().Version = GetParam().version;
    client.SocksInfo().Host = "127.0.0.1";
    client.SocksInfo().Port = dante->Port();
    const std::string host = GetParam().targetHost;
    EXPECT_EQ(client.Get("http://" + host + ":" + std::to_string(origin.Port()) + "/s?q=1"), "via socks");
    client.Disconnect();
    ASSERT_EQ(origin.Heads().size(), 1u);
    EXPECT_EQ(origin.Heads()[0], "GET /s?q=1 HTTP/1.1\r\n"
                                 "Host: " +
                                     host +
                                     "\r\n"
                                     "Accept: text/html, */*\r\n"
                                     "User-Agent: Mozilla/3.0 (compatible; Orvo Library)\r\n"
                                     "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Versions, SocksThroughDante,
                         ::testing::Values(SocksCase{http::svSocks4, "127.0.0.1"},
                                           SocksCase{http::svSocks5, "127.0.0.1"},
                                           SocksCase{http::svSocks5, "localhost"}));

template <class E>
void ExpectConnectFails(http::TIdHTTP& client, const std::string& url, const std::string& message) {
    try {
        client.Get(url);
        ADD_FAILURE() << "expected " << message;
    } catch (const E& e) {
        EXPECT_EQ(e.Message(), message);
    }
    EXPECT_FALSE(client.Connected());
}

TEST(SocksIntegration, DanteRefusalsEndTheConnectWithTheirExceptions) {
    const auto dante = StartDante();
    ASSERT_TRUE(PeerRunning(*dante));
    const std::string closedUrl = "http://127.0.0.1:" + std::to_string(PeerProcess::FreePort()) + "/";

    http::TIdHTTP client;
    client.SocksInfo().Host = "127.0.0.1";
    client.SocksInfo().Port = dante->Port();
    client.SocksInfo().Version = http::svSocks5;
    ExpectConnectFails<http::EIdSocksServerConnectionRefusedError>(client, closedUrl, "Connection refused.");
    client.SocksInfo().Version = http::svSocks4;
    ExpectConnectFails<http::EIdSocksRequestFailed>(client, closedUrl, "Request rejected or failed.");
    // dante does not speak 4A and rejects the request.
    client.SocksInfo().Version = http::svSocks4A;
    ExpectConnectFails<http::EIdSocksRequestFailed>(client, "http://localhost:1/",
                                                    "Request rejected or failed.");
}

TEST(SocksIntegration, Socks4aSendsTheHostNameForTheServerToResolve) {
    ScriptedServer origin(ScriptedServer::Reply(kReply));
    Socks4aResponder socks;

    http::TIdHTTP client;
    client.SocksInfo().Version = http::svSocks4A;
    client.SocksInfo().Host = "127.0.0.1";
    client.SocksInfo().Port = socks.Port();
    client.SocksInfo().UserID = "qv";
    EXPECT_EQ(client.Get("http://localhost:" + std::to_string(origin.Port()) + "/a"), "via socks");
    client.Disconnect();

    const std::string port{static_cast<char>(origin.Port() >> 8), static_cast<char>(origin.Port() & 0xFF)};
    ASSERT_EQ(socks.Requests().size(), 1u);
    EXPECT_EQ(socks.Requests()[0],
              std::string("\x04\x01", 2) + port + std::string("\0\0\0\x01qv\0localhost\0", 17));
    ASSERT_EQ(origin.Heads().size(), 1u);
    EXPECT_NE(origin.Heads()[0].find("\r\nHost: localhost\r\n"), std::string::npos);
}

} // namespace
} // namespace qv::http::test
