#include "HTTPTestSupport.h"

#include "framework/EConvertError.h"
#include "http/IdException.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace qv::http {
namespace {

using test::ScriptedPeer;
using test::ScriptedServer;
using testing::HTTPExchange;

const std::vector<std::string> wellFormed = {
    "HTTP/1.1 200 OK\r\nContent-Length: 11\r\nServer: x\r\n\r\nhello world",
    "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n",
    "HTTP/1.0 404 Not Found\r\nContent-Range: bytes 1-2/3\r\n\r\nmissing",
    "HTTP/1.1 302 Found\r\nLocation: /next\r\nContent-Length: 3\r\n\r\nabc",
};

std::string Mutate(std::mt19937& random, std::string reply) {
    switch (random() % 6) {
    case 0: // truncated
        return reply.substr(0, random() % (reply.size() + 1));
    case 1: { // garbage bytes overwrite a stretch
        const size_t at = random() % reply.size();
        for (size_t i = at; i < std::min(reply.size(), at + 1 + random() % 8); ++i)
            reply[i] = static_cast<char>(random() % 256);
        return reply;
    }
    case 2: // bad chunk sizes
        return "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" +
               std::string(random() % 2 ? "FFFFFFFFF" : "7fffffff") + "\r\nabc\r\n";
    case 3: // an oversized header line
        return "HTTP/1.1 200 OK\r\nX-Big: " + std::string(200000 + random() % 100000, 'b') + "\r\n\r\n";
    case 4: { // pure garbage
        std::string garbage(random() % 500, '\0');
        for (char& c : garbage)
            c = static_cast<char>(random() % 256);
        return garbage;
    }
    default: // lengths that do not fit
        return "HTTP/1.1 200 OK\r\nContent-Length: " +
               std::string(random() % 2 ? "99999999999" : std::to_string(random() % 1000000)) +
               "\r\n\r\nshort";
    }
}

TEST(MalformedReplyTest, RandomlyBrokenRepliesEndInDocumentedExceptions) {
    std::mt19937 random(987654321);
    int failures = 0;
    for (int round = 0; round < 150; ++round) {
        const std::string reply = Mutate(random, wellFormed[random() % wellFormed.size()]);
        const bool reset = random() % 5 == 0;
        HTTPExchange x([&](ScriptedPeer& peer, int) {
            peer.ReadHead();
            peer.Send(reply);
            if (reset)
                peer.Reset();
            else
                peer.Close();
        });
        x.http.HandleRedirects = random() % 2 == 0;
        x.http.MaxLineLength = 100000;
        try {
            framework::TMemoryStream stream;
            x.http.Get(x.Url(), stream);
            EXPECT_LE(stream.Size(), static_cast<int64_t>(reply.size()));
        } catch (const EIdException&) {
            ++failures;
        } catch (const framework::EConvertError&) {
            ++failures;
        }
        EXPECT_EQ(x.http.HopCount(), 0);
    }
    EXPECT_GT(failures, 50);
}

TEST(MalformedReplyTest, EndlessHeaderBlockIsRefused) {
    HTTPExchange x([](ScriptedPeer& peer, int) {
        peer.ReadHead();
        std::string headers = "HTTP/1.1 200 OK\r\n";
        for (int i = 0; i < 40000; ++i)
            headers += "X-Header-" + std::to_string(i) + ": some value\r\n";
        peer.Send(headers);
        peer.Close();
    });
    try {
        x.http.Get(x.Url());
        FAIL();
    } catch (const EIdReplyHeaderTooLarge& e) {
        EXPECT_EQ(e.Message(), "Reply header too large.");
    }
}

} // namespace
} // namespace qv::http
