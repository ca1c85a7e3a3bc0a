#include "HTTPTestSupport.h"

#include "framework/EConvertError.h"
#include "http/IdException.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>

namespace qv::http::test {
namespace {

// Answers each request on one connection with the next reply; closes after the last one.
ScriptedServer::Script Replies(std::vector<std::string> replies) {
    return [replies](ScriptedPeer& peer, int) {
        for (const std::string& reply : replies) {
            if (peer.ReadHead().empty()) return;
            peer.Send(reply);
        }
        peer.Close();
    };
}

TEST(HTTPReplyTest, BodyWithoutLengthRunsUntilClose) {
    for (const char* framing : {"Server: s\r\n", "Transfer-Encoding: gzip\r\nContent-Length: 2\r\n"}) {
        HTTPExchange x(Replies({"HTTP/1.1 200 OK\r\n" + std::string(framing) + "\r\nall of it\r\nand more"}));
        EXPECT_EQ(x.http.Get(x.Url()), "all of it\r\nand more") << framing;
        EXPECT_FALSE(x.http.Connected());
    }
}

TEST(HTTPReplyTest, Http11ConnectionStaysOpenUnlessTheReplyClosesIt) {
    HTTPExchange x(Replies({"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\none",
                            "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nConnection:  CLOSE \r\n\r\ntwo"}));
    EXPECT_EQ(x.http.Get(x.Url("/1")), "one");
    EXPECT_TRUE(x.http.Connected());
    EXPECT_EQ(x.http.Get(x.Url("/2")), "two");
    EXPECT_FALSE(x.http.Connected());
    EXPECT_EQ(x.server.Connections(), 1);
    EXPECT_EQ(x.server.Heads().size(), 2u);
}

TEST(HTTPReplyTest, Http10ReplyClosesAfterTheExchange) {
    HTTPExchange x([](ScriptedPeer& peer, int) {
        peer.ReadHead();
        peer.Send("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nhi");
        peer.ReadUntilClose();
    });
    EXPECT_EQ(x.http.Get(x.Url()), "hi");
    EXPECT_FALSE(x.http.Connected());
}

TEST(HTTPReplyTest, ChunkedBodyStopsAtSizeZeroAndReportsEachChunk) {
    HTTPExchange x(Replies({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                            "5\r\nhello\r\n6 ext\r\n world\r\nA\r\n0123456789\r\n0\r\n\r\n"}));
    EventRecorder events;
    events.Watch(x.http);
    EXPECT_EQ(x.http.Get(x.Url()), "hello world0123456789");
    const auto& e = events.entries;
    const auto chunk = std::find(e.begin(), e.end(), "Chunk Started");
    ASSERT_NE(chunk, e.end());
    EXPECT_EQ(std::count(e.begin(), e.end(), "end 0"), 3);
    EXPECT_NE(std::find(chunk, e.end(), "begin 0 5"), e.end());
    EXPECT_NE(std::find(chunk, e.end(), "begin 0 10"), e.end());
    EXPECT_EQ(e.front(), "Connecting to 127.0.0.1.");
}

TEST(HTTPReplyTest, CountedBodyCutShortRaises) {
    HTTPExchange x(Replies({"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n123456"}));
    framework::TMemoryStream stream;
    EXPECT_THROW(x.http.Get(x.Url(), stream), EIdConnClosedGracefully);
    EXPECT_EQ(stream.DataString(), "123456");
}

TEST(HTTPReplyTest, CloseBeforeOrInsideTheHeadRaises) {
    for (const std::string& reply :
         {std::string(), std::string("HTTP/1.1 200"), std::string("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n"),
          std::string("HTTP/1.1 200 OK\r\nX-Partial: a")}) {
        HTTPExchange x(Replies({reply}));
        EXPECT_THROW(x.http.Get(x.Url()), EIdConnClosedGracefully) << reply;
        EXPECT_EQ(x.http.HopCount(), 0);
    }
}

TEST(HTTPReplyTest, ErrorStatusRaisesWithStatusTextAfterReadingTheBody) {
    HTTPExchange x(Replies({"HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone"}));
    framework::TMemoryStream stream;
    try {
        x.http.Get(x.Url(), stream);
        FAIL();
    } catch (const EIdProtocolReplyError& e) {
        EXPECT_EQ(e.ReplyErrorCode(), 404);
        EXPECT_EQ(e.Message(), "404 Not Found");
    }
    EXPECT_EQ(stream.DataString(), "gone");
    EXPECT_TRUE(x.http.Connected());
}

TEST(HTTPReplyTest, StatusLineWithoutReasonPhrase) {
    HTTPExchange x(Replies({"HTTP/1.1 200\r\nContent-Length: 1\r\n\r\nx"}));
    EXPECT_EQ(x.http.Get(x.Url()), "x");
    EXPECT_EQ(x.http.StatusCode(), 200);
    EXPECT_EQ(x.http.StatusText(), "200");
}

TEST(HTTPReplyTest, StatusCodeThatIsNoNumberRaisesConversionError) {
    HTTPExchange x(Replies({"HTTP/1.1 abc OK\r\n\r\n"}));
    EXPECT_THROW(x.http.Get(x.Url()), framework::EConvertError);
}

TEST(HTTPReplyTest, HeadersAreMatchedWithoutCaseAndContinuationLinesJoinedOn) {
    HTTPExchange x(Replies({"HTTP/1.1 200 OK\r\ncontent-length: 5\r\nSERVER: Apache\r\n\t2.4\r\n"
                            "X-Long: a\r\n b\r\nContent-Range: bytes 10-20/100\r\n"
                            "Date: Sun, 06 Nov 1994 08:49:37 GMT\r\n\r\nhello trailing"}));
    EXPECT_EQ(x.http.Get(x.Url()), "hello");
    const TIdHeaderInfo& r = x.http.Response();
    EXPECT_EQ(r.ContentLength, 5);
    EXPECT_EQ(r.Server, "Apache 2.4");
    EXPECT_EQ(r.ContentRangeStart, 10);
    EXPECT_EQ(r.ContentRangeEnd, 20);
    EXPECT_GT(r.Date, 34644.0);
    EXPECT_LT(r.Date, 34645.0);
    EXPECT_EQ(r.ExtraHeaders.Lines(), (std::vector<std::string>{"X-Long: a b"}));
}

TEST(HTTPReplyTest, ResponseKeepsContentRangeUntilAReplyCarriesOne) {
    HTTPExchange x(Replies({"HTTP/1.1 200 OK\r\nContent-Range: bytes 1-2/3\r\nContent-Length: 1\r\n\r\na",
                            "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nServer: two\r\n\r\nb"}));
    x.http.Get(x.Url());
    x.http.Get(x.Url());
    EXPECT_EQ(x.http.Response().ContentRangeStart, 1);
    EXPECT_EQ(x.http.Response().ContentRangeEnd, 2);
    EXPECT_EQ(x.http.Response().Server, "two");

    HTTPExchange bad(Replies({"HTTP/1.1 200 OK\r\nContent-Range: bytes x-2/3\r\n\r\n"}));
    EXPECT_THROW(bad.http.Get(bad.Url()), framework::EConvertError);
}

// Joined as they are read, 100,000 continuation lines take a few milliseconds; joined one by
// one into the list afterwards they took 15 seconds.
TEST(HTTPReplyTest, ManyContinuationLinesAreJoinedInOnePass) {
    std::string reply = "HTTP/1.1 200 OK\r\nX-Folded: v\r\n";
    std::string value = "v";
    for (int i = 0; i < 100000; ++i) {
        reply += " w\r\n";
        value += " w";
    }
    HTTPExchange x(Replies({reply + "Content-Length: 2\r\n\r\nok"}));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(x.http.Get(x.Url()), "ok");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(x.http.Response().ExtraHeaders.ValueOf("X-Folded"), value);
}

TEST(HTTPReplyTest, HeadRequestReadsNoBody) {
    HTTPExchange x([](ScriptedPeer& peer, int) {
        peer.ReadHead();
        peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
        peer.ReadUntilClose();
    });
    framework::TMemoryStream stream;
    x.http.PerformRequest(rkHead, x.Url(), {}, &stream);
    EXPECT_EQ(x.http.Response().ContentLength, 100);
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(x.server.Heads()[0].substr(0, 15), "HEAD / HTTP/1.1");
}

TEST(HTTPReplyTest, LargeBodyArrivesIntactWithProgress) {
    std::string body(3 * 1024 * 1024 + 17, ' ');
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(i * 7 % 251);
    HTTPExchange x(
        Replies({"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body}));
    EventRecorder events;
    events.Watch(x.http);
    EXPECT_EQ(x.http.Get(x.Url()), body);
    EXPECT_NE(
        std::find(events.entries.begin(), events.entries.end(), "begin 0 " + std::to_string(body.size())),
        events.entries.end());
    EXPECT_NE(
        std::find(events.entries.begin(), events.entries.end(), "work 0 " + std::to_string(body.size())),
        events.entries.end());
}

} // namespace
} // namespace qv::http::test
