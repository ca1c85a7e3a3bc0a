#include "http/IdHTTP.h"
#include "tests/support/RealPeers.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

namespace qv::http::test {

using qv::test::PeerProcess;
using qv::test::PeerRunning;
using qv::test::ScriptedPeer;
using qv::test::ScriptedServer;
using qv::test::StartTinyProxy;

namespace {

// The service's URLs name no port, so the origin would have to listen on port 80; tinyproxy's
// upstream setting hands the forwarded request to the scripted server instead.
TEST(ProxyIntegration, GetThroughTinyproxySendsTheAbsoluteTargetAndGetsTheBody) {
    ScriptedServer origin(
        ScriptedServer::Reply("HTTP/1.1 200 OK\r\nContent-Length: 14\r\n\r\nok\n0000000042\n"));
    const auto proxy = StartTinyProxy(origin.Port());
    ASSERT_TRUE(PeerRunning(*proxy));

    http::TIdHTTP client;
    client.Request().ProxyServer = "127.0.0.1";
    client.Request().ProxyPort = proxy->Port();
    EXPECT_EQ(client.Get("http://tenders.example/app.php?action=browse&page=2#top"), "ok\n0000000042\n");
    client.Disconnect();
    EXPECT_EQ(client.StatusCode(), 200);

    EXPECT_NE(proxy->Log().find("GET http://tenders.example/app.php?action=browse&page=2 HTTP/1.1"),
              std::string::npos)
        << proxy->Log();
    // tinyproxy names the port in what it hands on; our own request line is the one in its log.
    ASSERT_EQ(origin.Heads().size(), 1u);
    const std::string forwarded = origin.Heads()[0];
    EXPECT_EQ(forwarded.rfind("GET http://tenders.example:80/app.php?action=browse&page=2 HTTP/1.1\r\n", 0),
              0u)
        << forwarded;
    EXPECT_NE(forwarded.find("\r\nUser-Agent: Mozilla/3.0 (compatible; Orvo Library)\r\n"),
              std::string::npos);
}

TEST(ProxyIntegration, ProxyFailureIsTheProxysReplyError) {
    const auto proxy = StartTinyProxy(PeerProcess::FreePort());
    ASSERT_TRUE(PeerRunning(*proxy));

    http::TIdHTTP client;
    client.Request().ProxyServer = "127.0.0.1";
    client.Request().ProxyPort = proxy->Port();
    try {
        client.Get("http://tenders.example/app.php");
        FAIL() << "a proxy that cannot connect must end the call";
    } catch (const http::EIdProtocolReplyError& e) {
        EXPECT_EQ(e.ReplyErrorCode() / 100, 5);
        EXPECT_EQ(e.Message(), client.StatusText());
        EXPECT_EQ(e.Message().rfind(std::to_string(e.ReplyErrorCode()) + " ", 0), 0u) << e.Message();
    }
}

TEST(ProxyIntegration, ClearingTheProxyGoesToTheUrlsOwnHostAgain) {
    ScriptedServer origin([](ScriptedPeer& peer, int) {
        const std::string head = peer.ReadHead();
        const std::string body = head.substr(0, head.find(' ', 4));
        peer.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
        peer.Close();
    });
    const auto proxy = StartTinyProxy(origin.Port());
    ASSERT_TRUE(PeerRunning(*proxy));
    const std::string direct = "http://127.0.0.1:" + std::to_string(origin.Port()) + "/direct";

    http::TIdHTTP client;
    client.Request().ProxyServer = "127.0.0.1";
    client.Request().ProxyPort = proxy->Port();
    EXPECT_EQ(client.Get("http://tenders.example/viaproxy"), "GET http://tenders.example:80/viaproxy");
    client.Disconnect();
    client.Request().ProxyServer.clear();
    client.Request().ProxyPort = 0;
    EXPECT_EQ(client.Get(direct), "GET /direct");
    client.Disconnect();
    EXPECT_EQ(origin.Connections(), 2);
}

} // namespace
} // namespace qv::http::test
