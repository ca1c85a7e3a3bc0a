#include "tests/support/ChildProcess.h"
#include "tests/support/PeerProcess.h"
#include "tests/support/RealPeers.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedTempFolder.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/Socks4aResponder.h"
#include "tests/support/tls/TlsServerConnection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>

namespace qv::tools::test {

using qv::test::Certificates;
using qv::test::PeerProcess;
using qv::test::ProgramResult;
using qv::test::RunProgram;
using qv::test::ScopedEnvironment;
using qv::test::ScopedTempFolder;
using qv::test::ScriptedPeer;
using qv::test::ScriptedServer;
using qv::test::Socks4aResponder;
using qv::test::TlsReply;
using qv::test::TlsScript;
using qv::test::TlsServerConnection;

namespace {

ProgramResult Tool(std::vector<std::string> arguments) {
    return RunProgram(QV_GET_TOOL, std::move(arguments));
}

std::string Url(const ScriptedServer& server, const std::string& target) {
    return "http://127.0.0.1:" + std::to_string(server.Port()) + target;
}

// The bytes of a literal, embedded NULs included.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

const std::string kDefaultHead = "Host: 127.0.0.1\r\n"
                                 "Accept: text/html, */*\r\n"
                                 "User-Agent: Mozilla/3.0 (compatible; Orvo Library)\r\n"
                                 "\r\n";

TEST(GetTool, WritesTheBodyByteForByteWithTheClientsDefaultRequest) {
    const std::string body = Bytes("line\r\nbare\ncr\r\0\xff\x80 end");
    ScriptedServer server(ScriptedServer::Reply(
        "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body));
    const auto r = Tool({Url(server, "/app.php?action=x#mark")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, body);
    EXPECT_EQ(r.err, "");
    ASSERT_EQ(server.Heads().size(), 1u);
    EXPECT_EQ(server.Heads()[0], "GET /app.php?action=x HTTP/1.1\r\n" + kDefaultHead);
}

TEST(GetTool, ReplyErrorIsOneLineWithItsCode) {
    ScriptedServer server(ScriptedServer::Reply("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nnope"));
    const auto r = Tool({Url(server, "/missing")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "EIdProtocolReplyError: 404 Not Found (code 404)\n");

    ScriptedServer odd(ScriptedServer::Reply(Bytes("HTTP/1.1 500 A\rB\0C\r\nConnection: close\r\n\r\n")));
    const auto escaped = Tool({Url(odd, "/")});
    EXPECT_EQ(escaped.exitCode, 1);
    EXPECT_EQ(escaped.err, Bytes("EIdProtocolReplyError: 500 A\\rB\0C (code 500)\n"));
}

TEST(GetTool, RefusedConnectionShowsTheSocketErrorWithEscapedLineBreak) {
    const auto r = Tool({"http://127.0.0.1:" + std::to_string(PeerProcess::FreePort()) + "/"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "EIdSocketError: Socket Error # 10061\\r\\nConnection refused. (code 10061)\n");
}

TEST(GetTool, ExceptionWithoutCodeHasNoCodeSuffix) {
    ScriptedServer server([](ScriptedPeer& peer, int) {
        peer.ReadHead();
        peer.Send("HTTP/1.1 200 OK\r\nContent-Le");
        peer.Close();
    });
    const auto r = Tool({Url(server, "/")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "EIdConnClosedGracefully: Connection Closed Gracefully.\n");
}

TEST(GetTool, TimeoutEndsTheWaitForAServerThatNeverAnswers) {
    ScriptedServer server([](ScriptedPeer& peer, int) { peer.ReadUntilClose(); });
    const auto r = Tool({"--timeout", "1", Url(server, "/")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "EIdReadTimeout: Read timed out.\n");
}

// The server reads the request head and then nothing more, over http and https.
TEST(GetTool, TimeoutEndsAPostThatTheServerNeverReads) {
    const ScopedEnvironment trust{{"SSL_CERT_FILE", Certificates().trustFile}};
    // More than the socket buffers of both ends take.
    const ScopedTempFolder folder;
    const std::string file = folder.Write("unread-post.bin", std::string(size_t{32} << 20, 'p'));
    for (const bool tls : {false, true}) {
        std::promise<void> toolEnded;
        const auto stall = [ended = toolEnded.get_future().share()] {
            ended.wait_for(std::chrono::seconds(60));
        };
        ScriptedServer server(tls ? TlsScript(Certificates().good,
                                              [&](TlsServerConnection& connection, ScriptedPeer&) {
                                                  connection.ReadHead();
                                                  stall();
                                              })
                                  : ScriptedServer::Script([&](ScriptedPeer& peer, int) {
                                        peer.ReadHead();
                                        stall();
                                    }));
        const std::string scheme = tls ? "https" : "http";
        const auto r = Tool({"--timeout", "1", "--post", file,
                             scheme + "://127.0.0.1:" + std::to_string(server.Port()) + "/upload"});
        toolEnded.set_value();
        EXPECT_EQ(r.exitCode, 1) << tls;
        EXPECT_EQ(r.err, "EIdWriteTimeout: Write timed out.\n") << tls;
    }
}

// 30,000 redirects on one connection take about two seconds; followed by recursion they
// overflowed the stack.
TEST(GetTool, EndlessRedirectsEndInTheRedirectError) {
    ScriptedServer server([](ScriptedPeer& peer, int) {
        while (!peer.ReadHead().empty())
            peer.Send("HTTP/1.1 302 Found\r\nLocation: /again\r\nContent-Length: 0\r\n\r\n");
    });
    const auto r = Tool({"--follow=30000", Url(server, "/")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "EIdProtocolReplyError: 302 Found (code 302)\n");
    EXPECT_EQ(server.Heads().size(), 30000u);
}

TEST(GetTool, HeadReadsNoBodyEvenWhenALengthIsAnnounced) {
    ScriptedServer server([](ScriptedPeer& peer, int) {
        peer.ReadHead();
        peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
        // Keeps the connection open: a client that waited for the 1000 bytes would hang.
        peer.ReadUntilClose();
    });
    const auto r = Tool({"--head", Url(server, "/h")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    ASSERT_EQ(server.Heads().size(), 1u);
    EXPECT_EQ(server.Heads()[0].substr(0, 17), "HEAD /h HTTP/1.1\r");
}

TEST(GetTool, PostSendsTheFileAsBody) {
    const std::string payload = Bytes("a=1&b=\r\n\0\xfe");
    const ScopedTempFolder folder;
    const std::string file = folder.Write("post.bin", payload);
    std::string received;
    ScriptedServer server([&received](ScriptedPeer& peer, int) {
        peer.ReadHead();
        received = peer.ReadExactly(10);
        peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        peer.Close();
    });
    const auto r = Tool({"--post", file, Url(server, "/form")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "ok");
    EXPECT_EQ(received, payload);
    ASSERT_EQ(server.Heads().size(), 1u);
    EXPECT_EQ(server.Heads()[0], "POST /form HTTP/1.1\r\n"
                                 "Host: 127.0.0.1\r\n"
                                 "Accept: text/html, */*\r\n"
                                 "User-Agent: Mozilla/3.0 (compatible; Orvo Library)\r\n"
                                 "Content-Length: 10\r\n"
                                 "\r\n");
}

TEST(GetTool, MissingPostFileFailsWithoutConnecting) {
    ScriptedServer server(ScriptedServer::Reply("HTTP/1.1 200 OK\r\n\r\n"));
    const auto r = Tool({"--post", "/nonexistent/quorvane", Url(server, "/")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("EFOpenError: ", 0), 0u) << r.err;
    EXPECT_EQ(server.Connections(), 0);
}

ScriptedServer::Script RedirectTwiceThenAnswer(uint16_t& port) {
    return [&port](ScriptedPeer& peer, int index) {
        peer.ReadHead();
        if (index < 2)
            peer.Send("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:" + std::to_string(port) + "/hop" +
                      std::to_string(index + 1) + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        else
            peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\nConnection: close\r\n\r\ndone");
        peer.Close();
    };
}

TEST(GetTool, RedirectsAreFollowedOnlyWhenAsked) {
    uint16_t port = 0;
    {
        ScriptedServer server(RedirectTwiceThenAnswer(port));
        port = server.Port();
        const auto r = Tool({Url(server, "/")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "EIdProtocolReplyError: 302 Found (code 302)\n");
    }
    {
        ScriptedServer server(RedirectTwiceThenAnswer(port));
        port = server.Port();
        const auto r = Tool({"--follow", Url(server, "/")});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "done");
        ASSERT_EQ(server.Heads().size(), 3u);
        EXPECT_EQ(server.Heads()[2].substr(0, 21), "GET /hop2 HTTP/1.1\r\nH");
    }
    {
        ScriptedServer server(RedirectTwiceThenAnswer(port));
        port = server.Port();
        const auto r = Tool({"--follow=2", Url(server, "/")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "EIdProtocolReplyError: 302 Found (code 302)\n");
        EXPECT_EQ(server.Heads().size(), 2u);
    }
}

TEST(GetTool, Http10AndStatusEvents) {
    ScriptedServer server(ScriptedServer::Reply("HTTP/1.0 200 OK\r\n\r\nold"));
    const auto r = Tool({"--http10", "--status", Url(server, "/")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "old");
    ASSERT_EQ(server.Heads().size(), 1u);
    EXPECT_EQ(server.Heads()[0], "GET / HTTP/1.0\r\n" + kDefaultHead);
    EXPECT_EQ(r.err, "Connecting to 127.0.0.1.\n"
                     "Connected.\n"
                     "Disconnecting from 127.0.0.1.\n"
                     "Not connected.\n");
}

TEST(GetTool, ProxyGetsTheAbsoluteTarget) {
    ScriptedServer proxy(ScriptedServer::Reply("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\npx"));
    const auto r =
        Tool({"--proxy", "127.0.0.1:" + std::to_string(proxy.Port()), "http://origin.invalid/a?b"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "px");
    ASSERT_EQ(proxy.Heads().size(), 1u);
    EXPECT_EQ(proxy.Heads()[0], "GET http://origin.invalid/a?b HTTP/1.1\r\n"
                                "Host: origin.invalid\r\n"
                                "Accept: text/html, */*\r\n"
                                "User-Agent: Mozilla/3.0 (compatible; Orvo Library)\r\n"
                                "\r\n");
}

TEST(GetTool, SocksOptionsReachTheHandshake) {
    ScriptedServer origin(ScriptedServer::Reply("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nsocks"));
    Socks4aResponder socks;
    const std::string via = "127.0.0.1:" + std::to_string(socks.Port());
    const auto r = Tool({"--socks4a", via, "http://localhost:" + std::to_string(origin.Port()) + "/s"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "socks");
    ASSERT_EQ(socks.Requests().size(), 1u);
    EXPECT_NE(socks.Requests()[0].find(Bytes("\0localhost\0")), std::string::npos);

    Socks4aResponder refusing(92);
    const auto refused = Tool({"--socks4", "127.0.0.1:" + std::to_string(refusing.Port()),
                               "http://127.0.0.1:" + std::to_string(origin.Port()) + "/"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "EIdSocksRequestServerFailed: Request rejected because SOCKS server cannot connect.\n");
}

// Straight to the server, through tinyproxy's CONNECT tunnel and through dante's SOCKS 5.
TEST(GetTool, FetchesHttpsDirectlyAndThroughProxies) {
    const ScopedEnvironment trust{{"SSL_CERT_FILE", Certificates().trustFile}};
    const auto tinyproxy = qv::test::StartTinyProxy();
    ASSERT_TRUE(qv::test::PeerRunning(*tinyproxy));
    const auto dante = qv::test::StartDante();
    ASSERT_TRUE(qv::test::PeerRunning(*dante));
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nsecure";
    for (const auto& route :
         std::vector<std::vector<std::string>>{{},
                                               {"--proxy", "127.0.0.1:" + std::to_string(tinyproxy->Port())},
                                               {"--socks5", "127.0.0.1:" + std::to_string(dante->Port())}}) {
        ScriptedServer server(TlsReply(Certificates().good, reply));
        std::vector<std::string> arguments = route;
        arguments.push_back("https://127.0.0.1:" + std::to_string(server.Port()) + "/s");
        const auto r = Tool(arguments);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "secure");
    }
    EXPECT_NE(tinyproxy->Log().find("CONNECT 127.0.0.1:"), std::string::npos) << tinyproxy->Log();

    ScriptedServer expired(TlsReply(Certificates().expired, reply));
    const auto refused = Tool({"https://127.0.0.1:" + std::to_string(expired.Port()) + "/"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "EIdTLSError: TLS handshake with 127.0.0.1 failed: its certificate was refused "
                           "(certificate has expired)\n");
}

TEST(GetTool, BadCommandLinesGiveUsageAndExitCode2) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"--proxy", "nohost", "http://h/"}, {"--bogus", "http://h/"}, {"http://a/", "http://b/"}}) {
        const auto r = Tool(args);
        EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: quorvane-get"), std::string::npos) << r.err;
    }
    const auto help = Tool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: quorvane-get", 0), 0u);
}

} // namespace
} // namespace qv::tools::test
