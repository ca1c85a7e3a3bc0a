#include "HTTPTestSupport.h"

#include "http/IdException.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace qv::http {
namespace {

using test::ScriptedPeer;
using test::ScriptedServer;
using testing::HTTPExchange;

// Every request for /hop/N is redirected to /hop/N+1 on the same connection, with a body
// longer than the final one; /final answers "final".
ScriptedServer::Script RedirectChain(int finalHop, const std::string& version = "1.1") {
    return [finalHop, version](ScriptedPeer& peer, int) {
        for (;;) {
            const std::string head = peer.ReadHead();
            if (head.empty()) return;
            const auto at = head.find("/hop/");
            const int hop = at == std::string::npos ? 0 : std::stoi(head.substr(at + 5));
            if (hop >= finalHop && finalHop > 0) {
                peer.Send("HTTP/" + version + " 200 OK\r\nContent-Length: 5\r\n\r\nfinal");
            } else {
                const std::string body = "moved to " + std::to_string(hop + 1) + " with a long body";
                peer.Send("HTTP/" + version + " 302 Found\r\nLocation: /hop/" + std::to_string(hop + 1) +
                          "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
            }
            if (version == "1.0") return peer.Close();
        }
    };
}

TEST(HTTPRedirectTest, RedirectWithoutHandlingRaisesWithTheRedirectStatus) {
    HTTPExchange x(RedirectChain(5));
    framework::TMemoryStream stream;
    try {
        x.http.Get(x.Url("/hop/0"), stream);
        FAIL();
    } catch (const EIdProtocolReplyError& e) {
        EXPECT_EQ(e.ReplyErrorCode(), 302);
        EXPECT_EQ(e.Message(), "302 Found");
    }
    EXPECT_EQ(stream.DataString(), "moved to 1 with a long body");
    EXPECT_EQ(x.http.HopCount(), 0);
    EXPECT_TRUE(x.http.Connected());
}

TEST(HTTPRedirectTest, SuccessStatusWithLocationTakesTheRedirectPath) {
    HTTPExchange x(ScriptedServer::Reply("HTTP/1.1 200 OK\r\nLocation: /x\r\nContent-Length: 0\r\n\r\n"));
    try {
        x.http.Get(x.Url());
        FAIL();
    } catch (const EIdProtocolReplyError& e) {
        EXPECT_EQ(e.ReplyErrorCode(), 200);
    }
}

TEST(HTTPRedirectTest, FollowedRedirectsOverwriteTheBodyInTheSameStream) {
    HTTPExchange x(RedirectChain(3));
    x.http.HandleRedirects = true;
    std::vector<int> hops;
    x.http.OnRedirect = [&](framework::TComponent* sender, std::string& dest, int numRedirect,
                            bool& handled) {
        EXPECT_EQ(sender, &x.http);
        EXPECT_TRUE(handled);
        hops.push_back(numRedirect);
        EXPECT_EQ(dest, "/hop/" + std::to_string(numRedirect));
        numRedirect = 99;
    };
    EXPECT_EQ(x.http.Get(x.Url("/hop/0")), "final");
    EXPECT_EQ(hops, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(x.server.Heads().size(), 4u);
    EXPECT_EQ(x.server.Connections(), 1);
    EXPECT_EQ(x.http.HopCount(), 0);
}

TEST(HTTPRedirectTest, ChainEndsAfterRedirectMaximumRequests) {
    HTTPExchange x(RedirectChain(0));
    x.http.HandleRedirects = true;
    try {
        x.http.Get(x.Url("/hop/0"));
        FAIL();
    } catch (const EIdProtocolReplyError& e) {
        EXPECT_EQ(e.ReplyErrorCode(), 302);
    }
    EXPECT_EQ(x.server.Heads().size(), 15u);
    EXPECT_EQ(x.http.HopCount(), 0);
    x.http.RedirectMaximum = 2;
    EXPECT_THROW(x.http.Get(x.Url("/hop/0")), EIdProtocolReplyError);
    EXPECT_EQ(x.server.Heads().size(), 17u);
}

TEST(HTTPRedirectTest, HandlerThatRefusesStopsTheChainWithoutException) {
    HTTPExchange x(RedirectChain(5));
    x.http.HandleRedirects = true;
    x.http.OnRedirect = [](framework::TComponent*, std::string&, int hops, bool& handled) {
        handled = hops < 2;
    };
    EXPECT_EQ(x.http.Get(x.Url("/hop/0")), "moved to 2 with a long body");
    EXPECT_EQ(x.http.StatusCode(), 302);
    EXPECT_EQ(x.server.Heads().size(), 2u);
}

TEST(HTTPRedirectTest, HandlerMayRedirectElsewhereOrAcceptWithoutFollowing) {
    HTTPExchange x(RedirectChain(5));
    x.http.HandleRedirects = true;
    x.http.OnRedirect = [](framework::TComponent*, std::string& dest, int, bool&) { dest = "/hop/5"; };
    EXPECT_EQ(x.http.Get(x.Url("/hop/0")), "final");
    EXPECT_NE(x.server.Heads()[1].find("GET /hop/5 "), std::string::npos);

    x.http.HandleRedirects = false;
    x.http.OnRedirect = [](framework::TComponent*, std::string& dest, int, bool& handled) {
        dest = "/changed";
        handled = true;
    };
    EXPECT_EQ(x.http.Get(x.Url("/hop/1")), "moved to 2 with a long body");
    EXPECT_EQ(x.http.Response().Location, "/changed");
}

TEST(HTTPRedirectTest, RedirectToAnotherServerClosesTheFirstConnection) {
    ScriptedServer target(ScriptedServer::Reply("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    HTTPExchange x([&](ScriptedPeer& peer, int) {
        peer.ReadHead();
        peer.Send("HTTP/1.1 301 Moved\r\nLocation: " + testing::UrlOf(target, "/there") +
                  "\r\nContent-Length: 3\r\nConnection: keep-alive\r\n\r\nabc");
        peer.ReadUntilClose();
    });
    x.http.HandleRedirects = true;
    testing::EventRecorder events;
    events.Watch(x.http);
    EXPECT_EQ(x.http.Get(x.Url("/here")), "ok");
    EXPECT_EQ(target.Heads().size(), 1u);
    EXPECT_EQ(std::count(events.entries.begin(), events.entries.end(), "Connected."), 2);
}

TEST(HTTPRedirectTest, Http10RedirectReplyClosesBeforeFollowing) {
    HTTPExchange x(RedirectChain(1, "1.0"));
    x.http.HandleRedirects = true;
    EXPECT_EQ(x.http.Get(x.Url("/hop/0")), "final");
    EXPECT_EQ(x.server.Connections(), 2);
    EXPECT_FALSE(x.http.Connected());
}

} // namespace
} // namespace qv::http
