#include "crash/delivery/SmtpReplyReader.h"

#include <gtest/gtest.h>

namespace qv::crash::test {

namespace {

using TLines = std::vector<std::string>;

// The replies the reader gives for the stream, fed one byte at a time.
std::vector<TLines> RepliesOf(const std::string& stream, TSmtpReplyReader& reader) {
    std::vector<TLines> replies;
    for (char byte : stream) {
        reader.Feed(&byte, 1);
        while (auto reply = reader.Next())
            replies.push_back(reply->lines);
    }
    return replies;
}

} // namespace

TEST(SmtpReplyReader, GathersEachReplyOverItsContinuationLines) {
    const struct {
        std::string stream;
        std::vector<TLines> replies;
    } cases[] = {
        {"250-mail.example.org\r\n250-SIZE\r\n250 OK\r\n354 go\r\n",
         {{"250-mail.example.org", "250-SIZE", "250 OK"}, {"354 go"}}},
        {"220 ready\n25\n\n", {{"220 ready"}, {"25"}, {""}}},
        {"250-first\r\n250 last", {}},
    };
    for (const auto& c : cases) {
        TSmtpReplyReader reader;
        EXPECT_EQ(RepliesOf(c.stream, reader), c.replies) << c.stream;
        EXPECT_FALSE(reader.Overlong());
    }
}

TEST(SmtpReplyReader, RefusesAReplyBeyondItsLimit) {
    const std::string line = "250-" + std::string(94, 'x') + "\r\n";
    std::string endless;
    while (endless.size() <= TSmtpReplyReader::kMaxReply)
        endless += line;
    TSmtpReplyReader reader;
    EXPECT_TRUE(RepliesOf(endless + "250 OK\r\n220 next\r\n", reader).empty());
    EXPECT_TRUE(reader.Overlong());

    TSmtpReplyReader fits;
    const std::string atLimit = endless.substr(line.size() * 2) + "250 OK\r\n";
    ASSERT_LE(atLimit.size(), TSmtpReplyReader::kMaxReply);
    EXPECT_EQ(RepliesOf(atLimit, fits).size(), 1u);
}

TEST(SmtpReplyReader, TellsTheCodeAndWhetherLoginIsOffered) {
    const struct {
        TLines lines;
        const char* code;
        bool login;
    } cases[] = {
        {{"250-mail", "250-AUTH PLAIN LOGIN", "250 SIZE"}, "250", true},
        {{"250-mail", "250 AUTH=LOGIN"}, "250", true},
        {{"250-AUTH PLAIN", "250 X-LOGIN LOGIN"}, "250", false},
        {{"504-AUTH LOGIN", "55"}, "55", true},
    };
    for (const auto& c : cases) {
        const TSmtpReplyReader::TReply reply{c.lines};
        EXPECT_EQ(reply.Code(), c.code) << c.lines.back();
        EXPECT_EQ(reply.OffersLogin(), c.login) << c.lines.back();
    }
}

} // namespace qv::crash::test
