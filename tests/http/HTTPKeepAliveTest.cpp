#include "HTTPTestSupport.h"

#include "http/IdException.h"

#include <gtest/gtest.h>

namespace qv::http::test {
namespace {

const std::string kNext = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nnext";

// A client whose reads fail after a while: a reply it wrongly waits on ends the test instead
// of hanging it.
struct KeptExchange : HTTPExchange {
    explicit KeptExchange(std::vector<std::string> replies) : HTTPExchange(KeepAlive(std::move(replies))) {
        http.ReadTimeout = 5000;
    }
    // The outcome of one exchange: its body, or the class of the exception that ended it.
    std::string Outcome(RequestKind kind, framework::TStream* stream) {
        try {
            http.PerformRequest(kind, Url("/first"), {}, stream);
            return stream ? DataOf(*stream) : std::string();
        } catch (const framework::Exception& e) {
            return e.ClassName();
        }
    }
    static std::string DataOf(framework::TStream& stream) {
        std::string data(static_cast<size_t>(stream.Size()), '\0');
        stream.SetPosition(0);
        stream.Read(data.data(), stream.Size());
        return data;
    }
};

TEST(HTTPKeepAliveTest, BodylessRepliesEndWithoutWaitingForTheClose) {
    const struct {
        RequestKind kind;
        std::string reply;
        std::string outcome;
    } cases[] = {
        {rkGet, "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", ""},
        {rkGet, "HTTP/1.1 204 No Content\r\n\r\n", ""},
        {rkGet, "HTTP/1.1 304 Not Modified\r\nContent-Length: 99\r\n\r\n", "EIdProtocolReplyError"},
        {rkHead, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", ""},
        {rkGet,
         "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 102 Processing\r\nX: y\r\n\r\n"
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok",
         "ok"},
        {rkGet,
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;ext=x\r\nhello\r\n0\r\nX-Sum: 1\r\n\r\n",
         "hello"},
        {rkGet,
         "HTTP/1.1 200 OK\r\ntransfer-encoding: CHUNKED\r\nContent-Length: 3\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
         "hello"},
    };
    for (const auto& c : cases) {
        KeptExchange x({c.reply, kNext});
        framework::TMemoryStream stream;
        EXPECT_EQ(x.Outcome(c.kind, &stream), c.outcome) << c.reply;
        EXPECT_EQ(x.http.Get(x.Url("/second")), "next") << c.reply;
        EXPECT_EQ(x.server.Connections(), 1) << c.reply;
    }
}

TEST(HTTPKeepAliveTest, AFailedExchangeLeavesNothingForTheNext) {
    const struct {
        std::string reply;
        std::string outcome;
        bool withStream;
    } cases[] = {
        {"HTTP/1.1 2x0 OK\r\nContent-Length: 4\r\n\r\nbody", "EConvertError", true},
        {"HTTP/1.1 200 OK\r\nX-Long: " + std::string(300, 'x') + "\r\nContent-Length: 4\r\n\r\nbody",
         "EIdMaxLineLengthExceeded", true},
        {"HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\nContent-Length: 4\r\n\r\nbody",
         "EIdReplyHeaderTooLarge", true},
        {"HTTP/1.1 200 OK\r\nContent-Length: 4\r\nContent-Length: 5\r\n\r\nbody!", "EIdMalformedReply", true},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nbodyXX\r\n0\r\n\r\n", "EIdMalformedReply",
         true},
        // Without a stream the body of the error reply stays unread.
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone", "EIdProtocolReplyError", false},
    };
    for (const auto& c : cases) {
        KeptExchange x({c.reply, kNext});
        x.http.MaxLineLength = 200;
        x.http.MaxHeaderLines = 5;
        framework::TMemoryStream stream;
        EXPECT_EQ(x.Outcome(rkGet, c.withStream ? &stream : nullptr), c.outcome) << c.reply;
        EXPECT_EQ(x.http.Get(x.Url("/second")), "next") << c.reply;
        EXPECT_EQ(x.server.Connections(), 2) << c.reply;
    }
}

TEST(HTTPKeepAliveTest, BytesSentUnaskedAreNeverTakenForTheNextReply) {
    KeptExchange x(
        {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nokHTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nstale",
         kNext});
    EXPECT_EQ(x.http.Get(x.Url("/first")), "ok");
    EXPECT_EQ(x.http.Get(x.Url("/second")), "next");
    EXPECT_EQ(x.server.Connections(), 2);
}

TEST(HTTPKeepAliveTest, ChangingTheProxyDropsTheConnectionToTheOldOne) {
    const auto reply = [](const std::string& body) {
        return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    };
    ScriptedServer proxyA(KeepAlive({reply("a1"), reply("a2")}));
    ScriptedServer proxyB(KeepAlive({reply("b")}));
    KeptExchange x({reply("direct1"), reply("direct2")});
    EXPECT_EQ(x.http.Get(x.Url("/1")), "direct1");
    x.http.Request().ProxyServer = "127.0.0.1";
    x.http.Request().ProxyPort = proxyA.Port();
    EXPECT_EQ(x.http.Get("http://tenders.invalid/2"), "a1");
    EXPECT_EQ(x.http.Get("http://other.invalid/3"), "a2");
    x.http.Request().ProxyPort = proxyB.Port();
    EXPECT_EQ(x.http.Get("http://tenders.invalid/4"), "b");
    x.http.Request().ProxyServer = "";
    x.http.Request().ProxyPort = 0;
    EXPECT_EQ(x.http.Get(x.Url("/5")), "direct2");
    EXPECT_EQ(proxyA.Connections(), 1);
    EXPECT_EQ(x.server.Connections(), 2);
    ASSERT_EQ(proxyB.Heads().size(), 1u);
    EXPECT_EQ(proxyB.Heads()[0].substr(0, 35), "GET http://tenders.invalid/4 HTTP/1");
}

} // namespace
} // namespace qv::http::test
