#include "http/IdException.h"
#include "http/IdTCPClient.h"
#include "tests/support/ScriptedServer.h"

#include <future>
#include <gtest/gtest.h>
#include <random>

namespace qv::http::test {

using qv::test::ScriptedPeer;
using qv::test::ScriptedServer;

namespace {

// A scripted SOCKS server: records the request bytes it is told to read and answers with fixed bytes.
struct SocksServer {
    SocksServer(std::vector<size_t> requestSizes, std::vector<std::string> answers)
        : server([this, requestSizes, answers](ScriptedPeer& peer, int) {
              std::string all;
              for (size_t i = 0; i < requestSizes.size(); ++i) {
                  all += peer.ReadExactly(requestSizes[i]);
                  if (i < answers.size()) peer.Send(answers[i]);
              }
              request.set_value(all);
              peer.Send("from target\n");
              peer.ReadUntilClose();
          }) {}

    std::string Request() {
        auto result = request.get_future();
        return result.wait_for(std::chrono::seconds(10)) == std::future_status::ready ? result.get()
                                                                                      : "timeout";
    }

    std::promise<std::string> request;
    ScriptedServer server;
};

void Aim(TIdTCPClient& client, TSocksVersion version, int socksPort, const std::string& host, int port) {
    client.Host = host;
    client.Port = port;
    client.SocksInfo().Version = version;
    client.SocksInfo().Host = "127.0.0.1";
    client.SocksInfo().Port = socksPort;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string text;
    for (int v : values)
        text += static_cast<char>(v);
    return text;
}

TEST(SocksHandshakeTest, Socks4CarriesTheAddressResolvedOnTheClient) {
    SocksServer socks({8 + 3}, {Bytes({0, 90, 0, 0, 0, 0, 0, 0})});
    TIdTCPClient client;
    Aim(client, svSocks4, socks.server.Port(), "localhost", 8080);
    client.SocksInfo().UserID = "me";
    client.Connect();
    EXPECT_EQ(socks.Request(), Bytes({4, 1, 0x1F, 0x90, 127, 0, 0, 1, 'm', 'e', 0}));
    EXPECT_EQ(client.ReadLine(), "from target");
}

TEST(SocksHandshakeTest, Socks4ACarriesTheHostNameAfterTheUserId) {
    SocksServer socks({8 + 1 + 12}, {Bytes({0, 90, 0, 0, 0, 0, 0, 0})});
    TIdTCPClient client;
    Aim(client, svSocks4A, socks.server.Port(), "example.org", 80);
    client.Connect();
    EXPECT_EQ(socks.Request(), Bytes({4, 1, 0, 80, 0, 0, 0, 1, 0}) + "example.org" + Bytes({0}));
    EXPECT_EQ(client.ReadLine(), "from target");
}

template <class E>
void ExpectSocks4Refusal(int code, const char* message) {
    SocksServer socks({9}, {Bytes({0, code, 0, 0, 0, 0, 0, 0})});
    TIdTCPClient client;
    Aim(client, svSocks4, socks.server.Port(), "10.0.0.1", 80);
    try {
        client.Connect();
        ADD_FAILURE() << code;
    } catch (const E& e) {
        EXPECT_EQ(e.Message(), message);
    }
    EXPECT_FALSE(client.SocketHandle().Allocated());
}

TEST(SocksHandshakeTest, Socks4RefusalsRaiseTheirOwnErrorsAndCloseTheSocket) {
    ExpectSocks4Refusal<EIdSocksRequestFailed>(91, "Request rejected or failed.");
    ExpectSocks4Refusal<EIdSocksRequestServerFailed>(92,
                                                     "Request rejected because SOCKS server cannot connect.");
    ExpectSocks4Refusal<EIdSocksRequestIdentFailed>(
        93, "Request rejected because the client program and identd report different user-ids.");
    ExpectSocks4Refusal<EIdSocksUnknownError>(77, "Unknown socks error.");
}

TEST(SocksHandshakeTest, Socks5ReadsNameAnswerCompletelyIncludingPort) {
    const std::string host = "example.org";
    SocksServer socks({3, 5 + host.size() + 2},
                      {Bytes({5, 0}), Bytes({5, 0, 0, 3, 11}) + "bound.local" + Bytes({0x12, 0x34})});
    TIdTCPClient client;
    Aim(client, svSocks5, socks.server.Port(), host, 443);
    client.Connect();
    EXPECT_EQ(socks.Request(), Bytes({5, 1, 0, 5, 1, 0, 3, 11}) + host + Bytes({1, 0xBB}));
    EXPECT_EQ(client.ReadLine(), "from target");
}

TEST(SocksHandshakeTest, Socks5ReadsIPv4AndIPv6AnswersCompletely) {
    for (const std::string& answer : {Bytes({5, 0, 0, 1, 1, 2, 3, 4, 0, 80}),
                                      Bytes({5, 0, 0, 4}) + std::string(16, '\x01') + Bytes({0, 80})}) {
        SocksServer socks({3, 5 + 1 + 2}, {Bytes({5, 0}), answer});
        TIdTCPClient client;
        Aim(client, svSocks5, socks.server.Port(), "h", 80);
        client.Connect();
        EXPECT_EQ(client.ReadLine(), "from target");
    }
}

TEST(SocksHandshakeTest, Socks5SendsUserAndPasswordAndChecksTheAnswer) {
    SocksServer socks({3, 1 + 3 + 5}, {Bytes({5, 2}), Bytes({1, 1})});
    TIdTCPClient client;
    Aim(client, svSocks5, socks.server.Port(), "h", 80);
    client.SocksInfo().Authentication = saUsernamePassword;
    client.SocksInfo().UserID = "ab";
    client.SocksInfo().Password = "pass";
    try {
        client.Connect();
        FAIL();
    } catch (const EIdSocksAuthError& e) {
        EXPECT_EQ(e.Message(), "Authentication error to socks server.");
    }
    EXPECT_EQ(socks.Request(), Bytes({5, 1, 2, 1, 2, 'a', 'b', 4, 'p', 'a', 's', 's'}));
}

TEST(SocksHandshakeTest, Socks5RefusedMethodEndsConnect) {
    SocksServer socks({3}, {Bytes({5, 255})});
    TIdTCPClient client;
    Aim(client, svSocks5, socks.server.Port(), "h", 80);
    try {
        client.Connect();
        FAIL();
    } catch (const EIdSocksAuthMethodError& e) {
        EXPECT_EQ(e.Message(), "Invalid socks authentication method.");
    }
    EXPECT_FALSE(client.SocketHandle().Allocated());
}

TEST(SocksHandshakeTest, Socks5ReplyCodesMapOntoTheirErrors) {
    const std::vector<std::string> messages = {
        "General SOCKS server failure.", "Connection not allowed by ruleset.",
        "Network unreachable.",          "Host unreachable.",
        "Connection refused.",           "TTL expired.",
        "Command not supported.",        "Address type not supported.",
        "Unknown socks error."};
    for (int code = 1; code <= 9; ++code) {
        SocksServer socks({3, 8}, {Bytes({5, 0}), Bytes({5, code, 0, 1, 0})});
        TIdTCPClient client;
        Aim(client, svSocks5, socks.server.Port(), "h", 80);
        try {
            client.Connect();
            ADD_FAILURE() << code;
        } catch (const EIdSocksError& e) {
            EXPECT_EQ(e.Message(), messages[static_cast<size_t>(code - 1)]);
        }
    }
}

TEST(SocksHandshakeTest, Socks5ServerThatBreaksOffDidNotRespond) {
    ScriptedServer server([](ScriptedPeer& peer, int) {
        peer.ReadExactly(3);
        peer.Send(Bytes({5}));
        peer.Close();
    });
    TIdTCPClient client;
    Aim(client, svSocks5, server.Port(), "h", 80);
    try {
        client.Connect();
        FAIL();
    } catch (const EIdSocksServerRespondError& e) {
        EXPECT_EQ(e.Message(), "Socks server did not respond.");
    }
}

TEST(SocksHandshakeTest, AnswersWithAnotherVersionByteAreNoSocksAnswers) {
    const struct {
        TSocksVersion version;
        TSocksAuthentication authentication;
        std::vector<size_t> requestSizes;
        std::vector<std::string> answers;
    } cases[] = {
        {svSocks4, saNoAuthentication, {9}, {Bytes({4, 90, 0, 0, 0, 0, 0, 0})}},
        {svSocks5, saNoAuthentication, {3}, {Bytes({4, 0})}},
        {svSocks5, saUsernamePassword, {3, 1 + 2 + 2}, {Bytes({5, 2}), Bytes({5, 0})}},
        {svSocks5, saNoAuthentication, {3, 8}, {Bytes({5, 0}), Bytes({4, 0, 0, 1, 0, 0, 0, 0, 0, 0})}},
    };
    for (const auto& c : cases) {
        SocksServer socks(c.requestSizes, c.answers);
        TIdTCPClient client;
        Aim(client, c.version, socks.server.Port(), "10.0.0.1", 80);
        client.SocksInfo().Authentication = c.authentication;
        client.SocksInfo().UserID = "u";
        client.SocksInfo().Password = "p";
        EXPECT_THROW(client.Connect(), EIdSocksServerRespondError) << ::testing::PrintToString(c.answers);
        EXPECT_FALSE(client.SocketHandle().Allocated());
    }
}

TEST(SocksHandshakeTest, Socks5RefusesNamesItsLengthByteCannotCount) {
    for (int field = 0; field < 3; ++field) {
        SocksServer socks({3}, {});
        TIdTCPClient client;
        const std::string tooLong(256, 'n');
        Aim(client, svSocks5, socks.server.Port(), field == 0 ? tooLong : "h", 80);
        client.SocksInfo().Authentication = saUsernamePassword;
        (field == 1 ? client.SocksInfo().UserID : client.SocksInfo().Password) = field ? tooLong : "p";
        try {
            client.Connect();
            ADD_FAILURE() << field;
        } catch (const EIdSocksNameTooLong& e) {
            EXPECT_EQ(e.Message(), "Name longer than 255 bytes for the socks server.");
        }
        // Nothing was sent: a cut name would have reached another host or account.
        EXPECT_EQ(socks.Request(), "");
    }
}

TEST(SocksHandshakeTest, RandomSocksAnswersEndInSocksOrConnectionErrors) {
    std::mt19937 random(4242);
    for (int round = 0; round < 60; ++round) {
        std::string answer(random() % 40, '\0');
        for (char& b : answer)
            b = static_cast<char>(random() % 256);
        if (random() % 2 && answer.size() > 2) answer[0] = 5, answer[1] = 0;
        ScriptedServer server([&](ScriptedPeer& peer, int) {
            peer.ReadExactly(3);
            peer.Send(answer);
            peer.Close();
        });
        TIdTCPClient client;
        Aim(client, random() % 2 ? svSocks5 : svSocks4A, server.Port(), "h", 80);
        try {
            client.Connect();
            client.Disconnect();
        } catch (const EIdException&) {
            EXPECT_FALSE(client.SocketHandle().Allocated());
        }
    }
}

} // namespace
} // namespace qv::http::test
