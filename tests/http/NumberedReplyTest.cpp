#include "http/IdException.h"
#include "http/IdHTTP.h"
#include "http/IdTCPClient.h"
#include "tests/support/ScriptedServer.h"

#include <future>
#include <gtest/gtest.h>

namespace qv::http::test {

using qv::test::ScriptedPeer;
using qv::test::ScriptedServer;

namespace {

template <class Client = TIdTCPClient>
struct LineServer {
    explicit LineServer(std::string reply, bool closeAfterReply = false)
        : server([this, reply, closeAfterReply](ScriptedPeer& peer, int) {
              command.set_value(peer.ReadExactly(6));
              peer.Send(reply);
              if (closeAfterReply)
                  peer.Close();
              else
                  peer.ReadUntilClose();
          }) {
        client.Host = "127.0.0.1";
        client.Port = server.Port();
        client.Connect();
    }
    std::promise<std::string> command;
    ScriptedServer server;
    Client client;
};

TEST(NumberedReplyTest, MultiLineReplyKeepsEveryLineAndTakesTheNumber) {
    LineServer s("\r\n  \r\n250-First\r\n250-Second\r\n250 Last\r\n");
    EXPECT_EQ(s.client.SendCommand("EHLO x", {250}), 250);
    EXPECT_EQ(s.command.get_future().get(), "EHLO x");
    EXPECT_EQ(s.client.ReplyLines().Lines(),
              (std::vector<std::string>{"250-First", "250-Second", "250 Last"}));
    EXPECT_EQ(s.client.ReplyNumber(), 250);
    EXPECT_EQ(s.client.LastReplyLine(), "250 Last");
}

TEST(NumberedReplyTest, PlusOkAndMinusErrCountAsOneAndZero) {
    LineServer ok("+OK ready\r\n");
    EXPECT_EQ(ok.client.SendCommand("USER a"), 1);
    LineServer err("-ERR no such user\r\n");
    try {
        err.client.SendCommand("USER b", {1});
        FAIL();
    } catch (const EIdProtocolReplyError& e) {
        EXPECT_EQ(e.ReplyErrorCode(), 0);
        EXPECT_EQ(e.Message(), "-ERR no such user");
    }
}

TEST(NumberedReplyTest, ReplyOutsideTheAllowedNumbersRaisesWithTheLastLine) {
    LineServer s("550-Bad\r\n550 Mailbox unavailable\r\n");
    try {
        s.client.SendCommand("RCPT x", {250, 251});
        FAIL();
    } catch (const EIdProtocolReplyError& e) {
        EXPECT_EQ(e.ReplyErrorCode(), 550);
        EXPECT_EQ(e.Message(), "550 Mailbox unavailable");
    }
    EXPECT_THROW(s.client.RaiseReplyErrorAs<EIdSocksError>(), EIdSocksError);
    // The HTTP client raises the numbered reply too, not its last HTTP status.
    LineServer<TIdHTTP> http("550 Mailbox unavailable\r\n");
    try {
        http.client.SendCommand("RCPT x", {250});
        FAIL();
    } catch (const EIdProtocolReplyError& e) {
        EXPECT_EQ(e.ReplyErrorCode(), 550);
        EXPECT_EQ(e.Message(), "550 Mailbox unavailable");
    }
}

TEST(NumberedReplyTest, UnnumberedLineGivesZeroAndCutShortMultiLineEnds) {
    LineServer s("abc\r\n");
    EXPECT_EQ(s.client.SendCommand("NOOP x"), 0);
    LineServer cut("220-one\r\n220-tw", true);
    EXPECT_THROW(cut.client.SendCommand("HELO x", {220}), EIdProtocolReplyError);
    EXPECT_EQ(cut.client.ReplyLines().Lines(), (std::vector<std::string>{"220-one", ""}));
}

TEST(NumberedReplyTest, EndlessMultiLineReplyIsRefused) {
    std::string lines;
    for (int i = 0; i < 2000; ++i)
        lines += "250-line " + std::to_string(i) + "\r\n";
    LineServer s(lines, true);
    s.client.MaxLineLength = 10000;
    EXPECT_THROW(s.client.SendCommand("EHLO x"), EIdMaxLineLengthExceeded);
}

} // namespace
} // namespace qv::http::test
