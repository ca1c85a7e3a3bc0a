#include "http/text/IdReplyReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv::http::test {

namespace {

using TLines = std::vector<std::string>;

// The replies the reader gives for the stream, fed one byte at a time.
std::vector<TLines> RepliesOf(const std::string& stream, TIdReplyReader& reader) {
    std::vector<TLines> replies;
    for (char byte : stream) {
        reader.Feed(&byte, 1);
        while (auto reply = reader.Next())
            replies.push_back(reply->lines);
    }
    return replies;
}

} // namespace

TEST(ReplyReader, GathersEachReplyOverItsContinuationLines) {
    const struct {
        std::string stream;
        std::vector<TLines> replies;
    } cases[] = {
        {"250-mail.example.org\r\n250-SIZE\r\n250 OK\r\n354 go\r\n",
         {{"250-mail.example.org", "250-SIZE", "250 OK"}, {"354 go"}}},
        {"220 ready\n25\n\n", {{"220 ready"}, {"25"}, {""}}},
        {"250-first\r\n250 last", {}},
        {"250-a\r\n251 b\r\n250 c\r\n", {{"250-a", "251 b", "250 c"}}},
    };
    for (const auto& c : cases) {
        TIdReplyReader reader;
        EXPECT_EQ(RepliesOf(c.stream, reader), c.replies) << c.stream;
        EXPECT_FALSE(reader.Overlong());
    }
}

TEST(ReplyReader, RefusesAReplyBeyondItsLimit) {
    const std::string line = "250-" + std::string(94, 'x') + "\r\n";
    std::string endless;
    while (endless.size() <= TIdReplyReader::kMaxReply)
        endless += line;
    TIdReplyReader reader;
    EXPECT_TRUE(RepliesOf(endless + "250 OK\r\n220 next\r\n", reader).empty());
    EXPECT_TRUE(reader.Overlong());

    TIdReplyReader fits;
    const std::string atLimit = endless.substr(line.size() * 2) + "250 OK\r\n";
    ASSERT_LE(atLimit.size(), TIdReplyReader::kMaxReply);
    EXPECT_EQ(RepliesOf(atLimit, fits).size(), 1u);
}

} // namespace qv::http::test
