#include "server/frontend/RequestHead.h"

#include <gtest/gtest.h>

namespace qv::server::test {

namespace {

struct HeadCase {
    std::string head;
    int status; // 0: read
    std::string path = {};
    std::string query = {};
    bool keepAlive = true;
};

const std::vector<HeadCase> kHeads = {
    {"GET /app.php?action=browse&k=%41+b HTTP/1.1\r\nHost: a\r\n\r\n", 0, "/app.php",
     "action=browse&k=%41+b"},
    {"GET http://tenders.example/app.php?a=1 HTTP/1.1\r\nHost: a\r\n\r\n", 0, "/app.php", "a=1"},
    {"GET HTTPS://tenders.example:443?x HTTP/1.1\r\nHost: a\r\n\r\n", 0, "/", "x"},
    {"HEAD /app%2Ephp HTTP/1.1\r\nhOST:a\r\n\r\n", 0, "/app.php"},
    {"\r\n\r\nGET / HTTP/1.1\nHost: a\n\n", 0, "/"},
    {"GET / HTTP/1.0\r\n\r\n", 0, "/", "", false},
    {"GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n", 0, "/"},
    {"GET / HTTP/1.1\r\nHost: a\r\nConnection: TE, close\r\n\r\n", 0, "/", "", false},
    {"GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 0\r\nContent-Length: 0\r\n\r\n", 0, "/"},
    // A body is never read: its connection ends with the reply.
    {"GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 5\r\n\r\n", 0, "/", "", false},
    {"GET / HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n", 0, "/", "", false},
    {"GET / HTTP/1.1\r\n\r\n", 400},
    {"GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", 400},
    {"GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n", 400},
    {"GET / HTTP/1.1\r\nHost: a\r\nContent-Length: -1\r\n\r\n", 400},
    {"GET / HTTP/1.0\r\nTransfer-Encoding: chunked\r\n\r\n", 400},
    {"GET / HTTP/2.0\r\nHost: a\r\n\r\n", 505},
    {"GET / HTTP/1.1x\r\nHost: a\r\n\r\n", 400},
    {"GET  / HTTP/1.1\r\nHost: a\r\n\r\n", 400},
    {"GET app.php HTTP/1.1\r\nHost: a\r\n\r\n", 400},
    {"G(T / HTTP/1.1\r\nHost: a\r\n\r\n", 400},
    {"GET /\x01 HTTP/1.1\r\nHost: a\r\n\r\n", 400},
    {"GET / HTTP/1.1\r\nHost a\r\n\r\n", 400},
    {"GET / HTTP/1.1\r\nHost : a\r\n\r\n", 400},
    {"GET / HTTP/1.1\r\nHost: a\r\nX: b\r\n  folded\r\n\r\n", 400},
    {std::string("GET / HTTP/1.1\r\nHost: a\0b\r\n\r\n", 29), 400},
    {"GET / HTTP/1.1\r\nHost: a\rX: b\r\n\r\n", 400},
};

} // namespace

TEST(RequestHead, ReadsWhatTheServiceNeedsAndRefusesWhatItCannotTrust) {
    for (const auto& test : kHeads) {
        const HeadParse parsed = ParseRequestHead(test.head);
        EXPECT_EQ(parsed.status, test.status) << test.head;
        ASSERT_EQ(parsed.head.has_value(), test.status == 0) << test.head;
        if (!parsed.head) continue;
        EXPECT_EQ(parsed.head->path, test.path) << test.head;
        EXPECT_EQ(parsed.head->query, test.query) << test.head;
        EXPECT_EQ(parsed.head->keepAlive, test.keepAlive) << test.head;
    }
}

TEST(RequestHead, FindsTheEndWhetherTheHeadComesAtOnceOrAByteAtATime) {
    for (const auto& test : kHeads) {
        const std::string bytes = test.head + "GET /next HTTP/1.1\r\n";
        size_t from = 0;
        const size_t whole = FindHeadEnd(bytes, from);
        EXPECT_EQ(whole, test.head.size()) << test.head;
        size_t end = 0;
        from = 0;
        for (size_t length = 1; length <= bytes.size() && !end; ++length)
            end = FindHeadEnd(std::string_view(bytes).substr(0, length), from);
        EXPECT_EQ(end, whole) << test.head;
    }
    size_t from = 0;
    EXPECT_EQ(FindHeadEnd("\r\n\r\n\r\n", from), 0u);
    EXPECT_EQ(OversizedHeadStatus("\r\nGET /" + std::string(kMaxHeadBytes, 'a')), 414);
    EXPECT_EQ(OversizedHeadStatus("GET / HTTP/1.1\r\nX: " + std::string(kMaxHeadBytes, 'a')), 431);
}

TEST(RequestHead, DecodesTheQueryAsFormsAre) {
    const auto params = DecodeQuery("a=1&b=x+y%20z&a=2&&c&=v&d=%zz%4&e=%00%fc%FC");
    const std::multimap<std::string, std::string> expected = {{"a", "1"},
                                                              {"a", "2"},
                                                              {"b", "x y z"},
                                                              {"c", ""},
                                                              {"", "v"},
                                                              {"d", "%zz%4"},
                                                              {"e", std::string("\0\xFC\xFC", 3)}};
    EXPECT_EQ(params, expected);
    EXPECT_EQ(PercentDecode("/a+b%2F", false), "/a+b/");
}

} // namespace qv::server::test
