#include "service/ServiceReplies.h"
#include "framework/EConvertError.h"

#include <gtest/gtest.h>

#include <random>

using namespace std::string_literals;

namespace qv::service::test {

TEST(LoginReply, AccountWordDecides) {
    EXPECT_TRUE(LoginSucceeded("userAnna{{}}energy,water"));
    EXPECT_EQ(LoginTail("userAnna{{}}energy,water"), "Anna{{}}energy,water");
    EXPECT_TRUE(LoginSucceeded("user"));
    EXPECT_EQ(LoginTail("user"), "");
    EXPECT_FALSE(LoginSucceeded("Bad login"));
    for (const char* reply : {"", "use", "User{{}}", "Bad", "ok", "<html>error</html>", " user"})
        EXPECT_FALSE(LoginSucceeded(reply)) << reply;
}

TEST(BrowseReply, ReadsTheTotalAndThePairs) {
    const std::string reply = "ok        42\r\nTitle one\r\n17";
    ASSERT_TRUE(ReplySucceeded(reply));
    EXPECT_EQ(BrowseReplyTotal(reply), 42);
    const auto rows = BrowseReplyRows(reply);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].title, "Title one");
    EXPECT_EQ(rows[0].id, "17");
    EXPECT_EQ(BrowseReplyTotal("ok0000000007\r\n"), 7);
    EXPECT_TRUE(BrowseReplyRows("ok0000000007\r\n").empty());
}

TEST(BrowseReply, SplitsLinesAsTheStringListDoes) {
    const auto rows = BrowseReplyRows("ok         3\r\na\rb\nc\r\nd\r\ne\0f\ng"s);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].title, "c");
    EXPECT_EQ(rows[1].id, "d");
    // The two characters after the count are skipped whatever they are.
    EXPECT_EQ(BrowseReplyRows("ok         1XYt\r\n5\r\n")[0].title, "t");
    EXPECT_EQ(BrowseReplyRows("ok         1\r\n\r\n\r\n").size(), 1u);
}

TEST(BrowseReply, CountFieldThatIsNoNumberRaisesTheConversionError) {
    const auto messageFor = [](const std::string& reply) {
        try {
            BrowseReplyTotal(reply);
        } catch (const qv::framework::EConvertError& e) {
            return e.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(messageFor("ok"), "'' is not a valid integer value");
    EXPECT_EQ(messageFor("ok        4x\r\n"), "'        4x' is not a valid integer value");
    EXPECT_EQ(messageFor("ok42        \r\n"), "'42        ' is not a valid integer value");
    EXPECT_EQ(BrowseReplyTotal("ok12"), 12);
}

TEST(BrowseReply, FailureIsAnythingNotOpeningWithOk) {
    for (const char* reply : {"", "o", "OK        1\r\n", " ok", "Bad login", "Error"})
        EXPECT_FALSE(ReplySucceeded(reply)) << reply;
}

TEST(ViewReply, DropsTheFirstLineAndMakesBreaksCrLf) {
    EXPECT_EQ(ViewReplyText("ok\r\nline 1\nline 2\rline 3\r\n"), "line 1\r\nline 2\r\nline 3\r\n");
    EXPECT_EQ(ViewReplyText("ok ignored\nbody"), "body");
    EXPECT_EQ(ViewReplyText("ok"), "");
    EXPECT_EQ(ViewReplyText("ok\r\n"), "");
    EXPECT_EQ(ViewReplyText("ok\n\n\nx"), "\r\n\r\nx");
}

TEST(ServiceReplies, RandomRepliesNeverCrash) {
    std::mt19937 random(23);
    const std::string alphabet = "ok 0123456789\r\n\0-$xuser"s;
    for (int round = 0; round < 3000; ++round) {
        std::string reply(random() % 48, ' ');
        for (auto& c : reply)
            c = round % 2 ? alphabet[random() % alphabet.size()] : static_cast<char>(random());
        LoginSucceeded(reply);
        LoginTail(reply);
        try {
            const int32_t total = BrowseReplyTotal(reply);
            (void)total;
        } catch (const qv::framework::EConvertError&) {}
        const auto rows = BrowseReplyRows(reply);
        EXPECT_LE(rows.size() * 2, reply.size());
        EXPECT_LE(ViewReplyText(reply).size(), reply.size() * 2);
    }
}

} // namespace qv::service::test
