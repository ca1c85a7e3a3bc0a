#include "http/IdHTTP.h"
#include "http/IdSSLConnectionIntercept.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/tls/TlsServerConnection.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <mutex>

namespace qv::http::test {
namespace {

using qv::test::CertificateFiles;
using qv::test::Certificates;
using qv::test::ScopedEnvironment;
using qv::test::ScriptedPeer;
using qv::test::ScriptedServer;
using qv::test::TlsReply;
using qv::test::TlsScript;
using qv::test::TlsServerConnection;

std::string HttpsUrl(const ScriptedServer& server, const std::string& host = "127.0.0.1",
                     const std::string& path = "/") {
    return "https://" + host + ":" + std::to_string(server.Port()) + path;
}

// A client with the TLS engine, trusting the test authority alone.
class TLSTest : public ::testing::Test {
protected:
    TLSTest() { http.SetIntercept(&engine); }

    ScopedEnvironment trust{{"SSL_CERT_FILE", Certificates().trustFile}, {"SSL_CERT_DIR", "/nonexistent"}};
    TIdSSLConnectionIntercept engine;
    TIdHTTP http;
};

TEST_F(TLSTest, FetchesThroughRecordsOfAnySizeOnAKeptConnection) {
    std::promise<std::string> firstHead;
    ScriptedServer server(TlsScript(Certificates().good, [&](TlsServerConnection& tls, ScriptedPeer& peer) {
        firstHead.set_value(tls.ReadHead());
        tls.SendInRecords("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", 3);
        tls.ReadHead();
        tls.SendInRecords("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nwide\r\n0\r\n\r\n", 1);
        tls.ReadHead();
        tls.Send("HTTP/1.1 200 OK\r\n\r\nuntil the end");
        tls.EndTls();
        peer.Close();
    }));
    http.Request().UserAgent = "Mozilla/3.0 (compatible;)";
    EXPECT_EQ(http.Get(HttpsUrl(server, "127.0.0.1", "/a?b=1")), "hello");
    EXPECT_EQ(firstHead.get_future().get(),
              "GET /a?b=1 HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible;)\r\n\r\n");
    EXPECT_TRUE(http.Connected());
    EXPECT_EQ(http.Get(HttpsUrl(server)), "wide");
    EXPECT_EQ(http.Get(HttpsUrl(server)), "until the end");
    EXPECT_EQ(server.Connections(), 1);
}

TEST_F(TLSTest, RefusesCertificatesThatDoNotHoldBeforeSendingAnything) {
    const struct {
        const CertificateFiles& certificate;
        const char* host;
        const char* reason;
    } cases[] = {
        {Certificates().otherName, "127.0.0.1", "IP address mismatch"},
        {Certificates().otherName, "localhost", "hostname mismatch"},
        {Certificates().expired, "127.0.0.1", "certificate has expired"},
        {Certificates().untrusted, "127.0.0.1", "self-signed certificate"},
    };
    for (const auto& c : cases) {
        std::promise<bool> accepted;
        {
            ScriptedServer server(TlsScript(
                c.certificate, [](TlsServerConnection& tls, ScriptedPeer&) { tls.ReadHead(); },
                [&](bool ok) { accepted.set_value(ok); }));
            try {
                http.Get(HttpsUrl(server, c.host));
                ADD_FAILURE() << c.reason;
            } catch (const EIdTLSError& e) {
                EXPECT_EQ(e.Message(), std::string("TLS handshake with ") + c.host +
                                           " failed: its certificate was refused (" + c.reason + ")");
            }
            EXPECT_FALSE(http.Connected());
        }
        // The server's side of the handshake failed too: no request could reach it.
        EXPECT_FALSE(accepted.get_future().get()) << c.reason;
    }
}

TEST_F(TLSTest, HandshakesThatCannotSucceedEndWithTheirReason) {
    const struct {
        const char* what;
        ScriptedServer::Script script;
        const char* message;
    } cases[] = {
        {"plain HTTP on the https port",
         [](ScriptedPeer& peer, int) {
             peer.ReadExactly(5);
             peer.Send("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
             peer.Close();
         },
         "the server answered in plain HTTP, not TLS"},
        {"a server that closes", [](ScriptedPeer& peer, int) { peer.Close(); },
         "the server closed the connection"},
        {"a server that stalls", [](ScriptedPeer& peer, int) { peer.ReadUntilClose(); }, "timed out"},
    };
    http.ConnectTimeout = 300;
    for (const auto& c : cases) {
        ScriptedServer server(c.script);
        try {
            http.Get(HttpsUrl(server));
            ADD_FAILURE() << c.what;
        } catch (const EIdTLSError& e) {
            EXPECT_NE(e.Message().find(c.message), std::string::npos) << c.what << ": " << e.Message();
        }
        EXPECT_FALSE(http.Connected());
    }
}

TEST_F(TLSTest, AStreamCutShortIsAnErrorNeverAShortBody) {
    enum class End { Cut, EndTls };
    enum class Outcome { Body, StreamCut, Closed };
    const struct {
        const char* reply;
        End end;
        Outcome outcome;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nhalf", End::Cut, Outcome::StreamCut},
        {"HTTP/1.1 200 OK\r\n\r\nup to the cut", End::Cut, Outcome::StreamCut},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nhalf", End::Cut, Outcome::StreamCut},
        {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nhalf", End::EndTls, Outcome::Closed},
        {"HTTP/1.1 200 OK\r\n\r\nup to the end", End::EndTls, Outcome::Body},
    };
    for (const auto& c : cases) {
        ScriptedServer server(
            TlsScript(Certificates().good, [&](TlsServerConnection& tls, ScriptedPeer& peer) {
                tls.ReadHead();
                tls.Send(c.reply);
                if (c.end == End::EndTls) tls.EndTls();
                peer.Close();
            }));
        try {
            const std::string body = http.Get(HttpsUrl(server));
            EXPECT_EQ(c.outcome, Outcome::Body) << c.reply;
            EXPECT_EQ(body, "up to the end");
        } catch (const EIdTLSStreamCut& e) {
            EXPECT_EQ(c.outcome, Outcome::StreamCut) << c.reply;
            EXPECT_EQ(e.Message(),
                      "TLS connection with 127.0.0.1 cut off: the server closed it without ending TLS");
        } catch (const EIdConnClosedGracefully&) {
            EXPECT_EQ(c.outcome, Outcome::Closed) << c.reply;
        }
        http.Disconnect();
    }
}

// Whatever a proxy or SOCKS server sends behind its own answer comes before the handshake, from
// whoever is on the path: it is refused, never read as the reply of the server behind TLS.
TEST_F(TLSTest, BytesBehindAProxysAnswerAreRefused) {
    const std::string injected = "HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\ninjected";
    const struct {
        const char* what;
        bool socks;
        std::function<void(ScriptedPeer&)> answer;
    } cases[] = {
        {"CONNECT", false,
         [&](ScriptedPeer& peer) {
             peer.ReadHead();
             peer.Send("HTTP/1.1 200 Connection established\r\n\r\n" + injected);
         }},
        {"SOCKS 4", true,
         [&](ScriptedPeer& peer) {
             peer.ReadExactly(9);
             peer.Send(std::string("\0\x5a\0\0\0\0\0\0", 8) + injected);
         }},
    };
    const qv::test::TlsServerContext context(Certificates().good);
    for (const auto& c : cases) {
        // The way leads on to a server with a good certificate.
        ScriptedServer proxy([&](ScriptedPeer& peer, int) {
            c.answer(peer);
            TlsServerConnection tls(context, peer.Fd());
            tls.ReadHead();
            tls.Send("HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\ngenuine");
            tls.EndTls();
            peer.Close();
        });
        TIdHTTP client;
        client.SetIntercept(&engine);
        if (c.socks) {
            client.SocksInfo().Version = svSocks4;
            client.SocksInfo().Host = "127.0.0.1";
            client.SocksInfo().Port = proxy.Port();
        } else {
            client.Request().ProxyServer = "127.0.0.1";
            client.Request().ProxyPort = proxy.Port();
        }
        try {
            ADD_FAILURE() << c.what << " gave " << client.Get("https://127.0.0.1:443/");
        } catch (const EIdTLSError& e) {
            EXPECT_EQ(e.Message(), "The proxy sent bytes before the TLS handshake.") << c.what;
        }
        EXPECT_FALSE(client.Connected()) << c.what;
    }
}

// The proxy's credentials are for the proxy: they go with the CONNECT, never through the tunnel to
// the server behind it.
TEST_F(TLSTest, ProxyCredentialsGoWithTheConnectNotThroughTheTunnel) {
    std::promise<std::string> connectHead;
    std::promise<std::string> tunnelledHead;
    const qv::test::TlsServerContext context(Certificates().good);
    ScriptedServer proxy([&](ScriptedPeer& peer, int) {
        connectHead.set_value(peer.ReadHead());
        peer.Send("HTTP/1.1 200 Connection established\r\n\r\n");
        TlsServerConnection tls(context, peer.Fd());
        tunnelledHead.set_value(tls.ReadHead());
        tls.Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        tls.EndTls();
        peer.Close();
    });
    http.Request().ProxyServer = "127.0.0.1";
    http.Request().ProxyPort = proxy.Port();
    http.Request().ProxyUsername = "p";
    http.Request().ProxyPassword = "q";
    EXPECT_EQ(http.Get("https://127.0.0.1/"), "ok");
    EXPECT_EQ(connectHead.get_future().get(),
              "CONNECT 127.0.0.1:443 HTTP/1.1\r\nProxy-Authorization: Basic cDpx\r\n\r\n");
    EXPECT_EQ(tunnelledHead.get_future().get().find("Proxy-Authorization"), std::string::npos);
}

TEST_F(TLSTest, RedirectToHttpGoesInTheClearWithoutAuthorization) {
    std::mutex mutex;
    std::string plainHead;
    ScriptedServer plain([&](ScriptedPeer& peer, int) {
        const std::string head = peer.ReadHead();
        std::lock_guard lock(mutex);
        plainHead = head;
        peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nclear");
        peer.Close();
    });
    std::promise<std::string> secureHead;
    ScriptedServer secure(TlsScript(Certificates().good, [&](TlsServerConnection& tls, ScriptedPeer& peer) {
        secureHead.set_value(tls.ReadHead());
        tls.Send("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:" + std::to_string(plain.Port()) +
                 "/next\r\nContent-Length: 0\r\n\r\n");
        tls.ReadHead();
        peer.Close();
    }));
    http.HandleRedirects = true;
    http.Request().Username = "user";
    http.Request().Password = "secret";
    EXPECT_EQ(http.Get(HttpsUrl(secure)), "clear");
    EXPECT_NE(secureHead.get_future().get().find("\r\nAuthorization: Basic "), std::string::npos);
    std::lock_guard lock(mutex);
    EXPECT_EQ(plainHead.rfind("GET /next HTTP/1.1\r\n", 0), 0u) << plainHead;
    EXPECT_EQ(plainHead.find("Authorization"), std::string::npos) << plainHead;
}

} // namespace
} // namespace qv::http::test
