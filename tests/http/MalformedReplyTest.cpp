#include "HTTPTestSupport.h"

#include "framework/EConvertError.h"
#include "http/IdException.h"

#include <gtest/gtest.h>
#include <optional>
#include <random>

namespace qv::http::test {
namespace {

struct WellFormed {
    std::string bytes;
    // What the client answers when the reply arrives whole; none for replies that end in an exception.
    std::optional<std::string> body;
    // Text right before a number that frames the body: a Content-Length value or a chunk size.
    std::string beforeNumber;
};

const std::vector<WellFormed> wellFormed = {
    {"HTTP/1.1 200 OK\r\nContent-Length: 11\r\nServer: x\r\n\r\nhello world", "hello world", "Length: "},
    {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n",
     "hello world", "\r\n\r\n"},
    {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc", "abc", "Length: "},
    {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3;x=y\r\nabc\r\n0\r\nT: 1\r\n\r\n", "abc",
     "\r\n\r\n"},
    {"HTTP/1.0 404 Not Found\r\nContent-Length: 7\r\n\r\nmissing", std::nullopt, "Length: "},
    {"HTTP/1.1 302 Found\r\nLocation: /next\r\nContent-Length: 3\r\n\r\nabc", std::nullopt, "Length: "},
};

// A reply as a server sends it, broken or not.
struct Variant {
    std::string bytes;
    // The client may still answer the well-formed body; otherwise only an exception is right.
    bool mayKeepBody;
    bool slow = false;
};

Variant Mutate(std::mt19937& random, const WellFormed& reply) {
    std::string bytes = reply.bytes;
    const size_t number = bytes.find(reply.beforeNumber) + reply.beforeNumber.size();
    switch (random() % 6) {
    case 0: // cut anywhere
        return {bytes.substr(0, random() % (bytes.size() + 1)), true};
    case 1: // whole, but slowly in small pieces
        return {bytes, true, true};
    case 2: // a framing number that is no number
        bytes[number] = "$x+-g"[random() % 5];
        return {bytes, false};
    case 3: // a framing number larger than what follows
        bytes.insert(number, 1, '9');
        return {bytes, false};
    case 4: { // an extra header of junk bytes, the framing headers in another case
        std::string junk = "X-Junk: ";
        for (size_t n = random() % 40; n > 0; --n)
            junk += static_cast<char>(32 + random() % 224);
        for (const char* name : {"Content-Length", "Transfer-Encoding"})
            if (const size_t at = bytes.find(name); at != std::string::npos)
                for (size_t i = at; i < at + std::string(name).size(); ++i)
                    if (bytes[i] != '-' && random() % 2) bytes[i] = static_cast<char>(bytes[i] ^ 0x20);
        bytes.insert(bytes.find("\r\n") + 2, junk + "\r\n");
        return {bytes, true};
    }
    default: { // pure garbage
        std::string garbage(random() % 500, '\0');
        for (char& c : garbage)
            c = static_cast<char>(random() % 256);
        return {garbage, false};
    }
    }
}

// Every reply ends in its exact well-formed body or in an exception: a body cut short, or
// read by a guess at a framing that cannot be trusted, is never a success.
TEST(MalformedReplyTest, BrokenRepliesGiveTheExactBodyOrAnException) {
    std::mt19937 random(987654321);
    int failures = 0;
    for (int round = 0; round < 200; ++round) {
        const WellFormed& reply = wellFormed[random() % wellFormed.size()];
        const Variant variant = Mutate(random, reply);
        const bool reset = random() % 5 == 0;
        HTTPExchange x([&](ScriptedPeer& peer, int) {
            peer.ReadHead();
            if (variant.slow)
                peer.SendSlowly(variant.bytes, 1 + random() % 20, std::chrono::milliseconds(1));
            else
                peer.Send(variant.bytes);
            if (reset)
                peer.Reset();
            else
                peer.Close();
        });
        x.http.HandleRedirects = random() % 2 == 0;
        try {
            const std::string body = x.http.Get(x.Url());
            EXPECT_TRUE(variant.mayKeepBody && reply.body) << ::testing::PrintToString(variant.bytes);
            EXPECT_EQ(body, reply.body.value_or("")) << ::testing::PrintToString(variant.bytes);
        } catch (const EIdException&) {
            ++failures;
        } catch (const framework::EConvertError&) {
            ++failures;
        }
        EXPECT_EQ(x.http.HopCount(), 0);
    }
    EXPECT_GT(failures, 50);
}

TEST(MalformedReplyTest, EndlessHeadersAreRefused) {
    const struct {
        int lines;
        size_t lineLength;
        const char* message;
    } cases[] = {
        {2000, 1000, "Reply header too large."},
        {20000, 10, "Reply header has too many lines."},
    };
    for (const auto& c : cases) {
        HTTPExchange x([&](ScriptedPeer& peer, int) {
            peer.ReadHead();
            std::string headers = "HTTP/1.1 200 OK\r\n";
            for (int i = 0; i < c.lines; ++i)
                headers += "X-" + std::to_string(i) + ": " + std::string(c.lineLength, 'v') + "\r\n";
            peer.Send(headers);
            peer.Close();
        });
        try {
            x.http.Get(x.Url());
            ADD_FAILURE() << c.message;
        } catch (const EIdReplyHeaderTooLarge& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

} // namespace
} // namespace qv::http::test
