#include "HTTPTestSupport.h"

#include "http/IdException.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <pthread.h>

namespace qv::http::test {
namespace {

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

// A final reply without a body leaves none of the redirect's body behind in the stream.
TEST(HTTPRedirectTest, FollowedRedirectToAReplyWithoutBodyEmptiesTheStream) {
    HTTPExchange x(KeepAlive({"HTTP/1.1 302 Found\r\nLocation: /next\r\nContent-Length: 5\r\n\r\nmoved",
                              "HTTP/1.1 204 No Content\r\n\r\n"}));
    x.http.HandleRedirects = true;
    EXPECT_EQ(x.http.Get(x.Url()), "");
    EXPECT_EQ(x.http.StatusCode(), 204);
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
        peer.Send("HTTP/1.1 301 Moved\r\nLocation: " + UrlOf(target, "/there") +
                  "\r\nContent-Length: 3\r\nConnection: keep-alive\r\n\r\nabc");
        peer.ReadUntilClose();
    });
    x.http.HandleRedirects = true;
    EventRecorder events;
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

// Runs `body` on a thread with a stack of 256 KiB, far below the usual 8 MiB.
void RunOnSmallStack(const std::function<void()>& body) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    auto* task = new std::function<void()>(body);
    ASSERT_EQ(pthread_create(
                  &thread, &attributes,
                  [](void* argument) -> void* {
                      std::unique_ptr<std::function<void()>> run(
                          static_cast<std::function<void()>*>(argument));
                      (*run)();
                      return nullptr;
                  },
                  task),
              0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

TEST(HTTPRedirectTest, LongChainsNeedNoMoreStackThanOneRequest) {
    HTTPExchange x(RedirectChain(0));
    x.http.HandleRedirects = true;
    x.http.RedirectMaximum = 3000;
    int code = 0;
    RunOnSmallStack([&] {
        try {
            x.http.Get(x.Url("/hop/0"));
        } catch (const EIdProtocolReplyError& e) {
            code = e.ReplyErrorCode();
        }
    });
    EXPECT_EQ(code, 302);
    EXPECT_EQ(x.server.Heads().size(), 3000u);
    EXPECT_EQ(x.server.Connections(), 1);
}

TEST(HTTPRedirectTest, RelativeLocationsResolveAgainstTheCurrentUrl) {
    uint16_t port = 0;
    HTTPExchange x([&port](ScriptedPeer& peer, int) {
        const std::string locations[] = {"c.php", "../up?u=http://x/y",
                                         "//127.0.0.1:" + std::to_string(port) + "/n", "?q=1"};
        for (const std::string& location : locations) {
            peer.ReadHead();
            peer.Send("HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n");
        }
        peer.ReadHead();
        peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        peer.ReadUntilClose();
    });
    port = x.server.Port();
    x.http.HandleRedirects = true;
    EXPECT_EQ(x.http.Get(x.Url("/a/b/start")), "ok");
    std::vector<std::string> targets;
    for (const std::string& head : x.server.Heads())
        targets.push_back(head.substr(4, head.find(" HTTP/") - 4));
    EXPECT_EQ(targets,
              (std::vector<std::string>{"/a/b/start", "/a/b/c.php", "/a/up?u=http://x/y", "/n", "/n?q=1"}));
}

TEST(HTTPRedirectTest, CredentialsStayWithTheFirstServer) {
    ScriptedServer other(ScriptedServer::Reply("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    HTTPExchange x([&other](ScriptedPeer& peer, int) {
        peer.ReadHead();
        peer.Send("HTTP/1.1 302 Found\r\nLocation: /same\r\nContent-Length: 0\r\n\r\n");
        peer.ReadHead();
        peer.Send("HTTP/1.1 302 Found\r\nLocation: " + UrlOf(other, "/other") +
                  "\r\nContent-Length: 0\r\n\r\n");
        peer.ReadUntilClose();
    });
    x.http.HandleRedirects = true;
    x.http.Request().Username = "user";
    x.http.Request().Password = "secret";
    x.http.Request().ExtraHeaders.Add("Authorization: Bearer token");
    EXPECT_EQ(x.http.Get(x.Url("/first")), "ok");
    ASSERT_EQ(x.server.Heads().size(), 2u);
    for (const std::string& head : x.server.Heads()) {
        EXPECT_NE(head.find("Authorization: Basic dXNlcjpzZWNyZXQ=\r\n"), std::string::npos) << head;
        EXPECT_NE(head.find("Authorization: Bearer token\r\n"), std::string::npos) << head;
    }
    ASSERT_EQ(other.Heads().size(), 1u);
    EXPECT_EQ(other.Heads()[0].find("Authorization"), std::string::npos) << other.Heads()[0];
    EXPECT_EQ(x.http.Request().Username, "user");
}

} // namespace
} // namespace qv::http::test
