#include "framework/Stream.h"
#include "http/IdAntiFreezeBase.h"
#include "http/IdException.h"
#include "http/IdIntercept.h"
#include "http/IdTCPClient.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/ScopedTempFolder.h"
#include "tests/support/ScriptedServer.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::http::test {

using qv::test::ScriptedPeer;
using qv::test::ScriptedServer;

namespace {

// A client connected to a scripted server; the server's script sees every byte.
struct Connection {
    explicit Connection(ScriptedServer::Script script) : server(std::move(script)) {
        client.Host = "127.0.0.1";
        client.Port = server.Port();
    }
    ScriptedServer server;
    TIdTCPClient client;
};

struct EventLog {
    std::vector<std::string> entries;
    void Watch(TIdTCPClient& client) {
        client.OnStatus = [this](framework::TComponent*, TIdStatus, const std::string& text) {
            entries.push_back(text);
        };
        client.OnConnected = [this](framework::TComponent*) { entries.push_back("OnConnected"); };
        client.OnDisconnected = [this](framework::TComponent*) { entries.push_back("OnDisconnected"); };
        client.OnWorkBegin = [this](framework::TComponent*, TWorkMode mode, int64_t max) {
            entries.push_back("begin " + std::to_string(mode) + " " + std::to_string(max));
        };
        client.OnWork = [this](framework::TComponent*, TWorkMode mode, int64_t count) {
            entries.push_back("work " + std::to_string(mode) + " " + std::to_string(count));
        };
        client.OnWorkEnd = [this](framework::TComponent*, TWorkMode mode) {
            entries.push_back("end " + std::to_string(mode));
        };
    }
};

TEST(TCPConnectionTest, StackLivesExactlyAsLongAsTheComponents) {
    ASSERT_EQ(GSocketStack, nullptr);
    {
        TIdTCPClient first;
        TIdStack* stack = GSocketStack;
        ASSERT_NE(stack, nullptr);
        {
            TIdTCPClient second;
            EXPECT_EQ(GSocketStack, stack);
        }
        EXPECT_EQ(GSocketStack, stack);
    }
    EXPECT_EQ(GSocketStack, nullptr);
    EXPECT_EQ(ActiveComponents, 0);
}

TEST(TCPConnectionTest, ReadLineHandlesTerminatorsAndKeepsInnerCarriageReturns) {
    Connection c([](ScriptedPeer& peer, int) {
        peer.Send("abc\r\nabc\nx\ry\nabc\n");
        peer.ReadUntilClose();
    });
    c.client.Connect();
    EXPECT_EQ(c.client.ReadLine(), "abc");
    EXPECT_EQ(c.client.ReadLine(), "abc");
    EXPECT_EQ(c.client.ReadLine(), "x\ry");
    EXPECT_EQ(c.client.ReadLine("\r\n", 100), "");
    EXPECT_TRUE(c.client.LineTimedOut());
    EXPECT_EQ(c.client.InputSize(), 4);
    c.client.Disconnect();
}

TEST(TCPConnectionTest, TwoLinesOfOneReceiveNeedNoSecondReceive) {
    Connection c([](ScriptedPeer& peer, int) {
        peer.Send("one\r\ntwo\r\n");
        peer.ReadUntilClose();
    });
    c.client.Connect();
    EXPECT_EQ(c.client.ReadLine(), "one");
    EXPECT_EQ(c.client.InputSize(), 5);
    EXPECT_EQ(c.client.ReadLine(), "two");
    c.client.Disconnect();
}

TEST(TCPConnectionTest, PeerCloseWithPartialLineKeepsBytesThenRaises) {
    Connection c([](ScriptedPeer& peer, int) {
        peer.Send("ab");
        peer.Close();
    });
    c.client.Connect();
    EXPECT_EQ(c.client.ReadLine(), "");
    EXPECT_TRUE(c.client.LineTimedOut());
    EXPECT_EQ(c.client.InputSize(), 2);
    EXPECT_FALSE(c.client.Connected());
    try {
        c.client.ReadLine();
        FAIL();
    } catch (const EIdConnClosedGracefully& e) {
        EXPECT_EQ(e.Message(), "Connection Closed Gracefully.");
    }
    EXPECT_EQ(c.client.TakeInput(2), "ab");
    EXPECT_THROW(c.client.TakeInput(1), EIdNotEnoughDataInBuffer);
}

TEST(TCPConnectionTest, OverlongLineIsRefusedInsteadOfBufferedWithoutBound) {
    Connection c([](ScriptedPeer& peer, int) {
        peer.Send(std::string(300000, 'x'));
        peer.Close();
    });
    c.client.MaxLineLength = 100000;
    c.client.Connect();
    EXPECT_THROW(c.client.ReadLine(), EIdMaxLineLengthExceeded);
}

TEST(TCPConnectionTest, CountedReadCutShortRaisesAndKeepsReceivedBytes) {
    Connection c([](ScriptedPeer& peer, int) {
        peer.Send("123456");
        peer.Close();
    });
    c.client.Connect();
    framework::TMemoryStream stream;
    EXPECT_THROW(c.client.ReadToStream(stream, 10, false), EIdConnClosedGracefully);
    EXPECT_EQ(stream.DataString(), "123456");
    EXPECT_FALSE(c.client.Connected());
}

TEST(TCPConnectionTest, ReadsIntoAStreamStopAtItsLimitWhateverThePeerAnnounces) {
    constexpr int64_t kLimit = 1000;
    const std::vector<std::pair<const char*, std::vector<int64_t>>> cases = {
        {"a count beyond the limit", {5000}},
        {"counts that add up beyond it", {600, 600}},
        {"until the close", {-1}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.first);
        Connection c([](ScriptedPeer& peer, int) {
            peer.Send(std::string(100000, 'x'));
            peer.Close();
        });
        c.client.MaxStreamSize = kLimit;
        c.client.Connect();
        framework::TMemoryStream stream;
        const auto readAll = [&] {
            for (const int64_t count : test.second)
                c.client.ReadToStream(stream, count, count < 0);
        };
        EXPECT_THROW(readAll(), EIdMaxStreamSizeExceeded);
        EXPECT_LE(stream.Size(), kLimit);
    }
}

TEST(TCPConnectionTest, ReadUntilCloseEndsAtLastByteAndReportsProgress) {
    const std::string body = [] {
        std::string text(100000, ' ');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char>('a' + i % 26);
        return text;
    }();
    Connection c([&](ScriptedPeer& peer, int) {
        peer.Send("head\n" + body);
        peer.Close();
    });
    EventLog log;
    c.client.Connect();
    EXPECT_EQ(c.client.ReadLine(), "head");
    log.Watch(c.client);
    framework::TMemoryStream stream;
    stream.Write("old content that is longer than nothing", 10);
    c.client.ReadToStream(stream, -1, true);
    EXPECT_EQ(stream.DataString(), std::string("old conten") + body);
    ASSERT_GE(log.entries.size(), 3u);
    EXPECT_EQ(log.entries.front(), "begin 0 0");
    EXPECT_EQ(log.entries.back(), "end 0");
    EXPECT_NE(std::find(log.entries.begin(), log.entries.end(), "work 0 100000"), log.entries.end());
    EXPECT_EQ(std::count(log.entries.begin(), log.entries.end(), "OnDisconnected"), 1);
}

TEST(TCPConnectionTest, CountFromTheWireAndStreamWithLength) {
    std::promise<std::string> received;
    Connection c([&](ScriptedPeer& peer, int) {
        peer.Send(std::string("\0\0\0\x05hello", 9));
        received.set_value(peer.ReadExactly(4 + 70000));
        peer.Close();
    });
    c.client.Connect();
    framework::TMemoryStream in;
    c.client.ReadToStream(in, -1, false);
    EXPECT_EQ(in.DataString(), "hello");

    EventLog log;
    log.Watch(c.client);
    framework::TMemoryStream out;
    const std::string payload(70000, 'p');
    out.Write(payload.data(), static_cast<int64_t>(payload.size()));
    c.client.SendBufferSize = 30000;
    c.client.WriteFromStream(out, true, true);
    EXPECT_EQ(received.get_future().get(), std::string("\0\x01\x11\x70", 4) + payload);
    EXPECT_EQ(log.entries.front(), "begin 1 70000");
    EXPECT_EQ(log.entries.back(), "end 1");
}

TEST(TCPConnectionTest, FileContentsGoOutWithAndWithoutTheSystemCall) {
    const qv::test::ScopedTempFolder folder;
    const std::string content(50000, 'f');
    const std::string path = folder.Write("content", content);
    std::promise<std::string> received;
    Connection c([&](ScriptedPeer& peer, int) {
        received.set_value(peer.ReadExactly(2 * content.size()));
        peer.Close();
    });
    c.client.Connect();
    EXPECT_EQ(c.client.WriteFileContents(path, true), 50000);
    EXPECT_EQ(c.client.WriteFileContents(path, false), 50000);
    EXPECT_EQ(received.get_future().get(), content + content);
}

TEST(TCPConnectionTest, ConnectReportsStatusAndSetsNagleOption) {
    Connection c([](ScriptedPeer& peer, int) { peer.ReadUntilClose(); });
    EventLog log;
    log.Watch(c.client);
    c.client.Host = "localhost";
    c.client.UseNagle = false;
    c.client.Connect();
    int noDelay = 0;
    socklen_t length = sizeof noDelay;
    ::getsockopt(c.client.SocketHandle().Handle(), IPPROTO_TCP, TCP_NODELAY, &noDelay, &length);
    EXPECT_NE(noDelay, 0);
    try {
        c.client.Connect();
        FAIL();
    } catch (const EIdAlreadyConnected& e) {
        EXPECT_EQ(e.Message(), "Already connected.");
    }
    c.client.Disconnect();
    c.client.Disconnect();
    EXPECT_EQ(log.entries,
              (std::vector<std::string>{"Resolving hostname localhost.", "Connecting to 127.0.0.1.",
                                        "Connected.", "OnConnected", "Disconnecting from 127.0.0.1.",
                                        "Not connected.", "OnDisconnected"}));
}

TEST(TCPConnectionTest, NagleStaysOnByDefault) {
    Connection c([](ScriptedPeer& peer, int) { peer.ReadUntilClose(); });
    c.client.Connect();
    int noDelay = 1;
    socklen_t length = sizeof noDelay;
    ::getsockopt(c.client.SocketHandle().Handle(), IPPROTO_TCP, TCP_NODELAY, &noDelay, &length);
    EXPECT_EQ(noDelay, 0);
}

TEST(TCPConnectionTest, RefusedConnectLeavesNoSocket) {
    int port;
    {
        ScriptedServer probe([](ScriptedPeer&, int) {});
        port = probe.Port();
    }
    TIdTCPClient client;
    client.Host = "127.0.0.1";
    client.Port = port;
    try {
        client.Connect();
        FAIL();
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.LastError(), 10061);
        EXPECT_EQ(e.Message(), "Socket Error # 10061\r\nConnection refused.");
    }
    EXPECT_FALSE(client.SocketHandle().Allocated());
    EXPECT_FALSE(client.Connected());
}

TEST(TCPConnectionTest, ConnectTimeoutEndsAConnectThatStalls) {
    // A listener that never accepts and whose queue is full lets new connects hang.
    const qv::test::LoopbackListener listener(qv::test::LoopbackListener::Kind::Stream, 0);
    std::vector<std::unique_ptr<TIdTCPClient>> queued;
    for (int attempt = 0; attempt < 8; ++attempt) {
        auto client = std::make_unique<TIdTCPClient>();
        client->Host = "127.0.0.1";
        client->Port = listener.Port();
        client->ConnectTimeout = 200;
        try {
            client->Connect();
        } catch (const EIdSocketError& e) {
            EXPECT_EQ(e.LastError(), 10060);
            EXPECT_EQ(e.Message(), "Socket Error # 10060\r\nConnection timed out.");
            EXPECT_FALSE(client->SocketHandle().Allocated());
            return;
        }
        queued.push_back(std::move(client));
    }
    FAIL() << "every connect went through";
}

TEST(TCPConnectionTest, ReadTimeoutEndsReadsThatWouldWaitForever) {
    Connection c([](ScriptedPeer& peer, int) { peer.ReadUntilClose(); });
    c.client.ReadTimeout = 100;
    c.client.Connect();
    // A read given a time-out of its own keeps it.
    EXPECT_EQ(c.client.ReadLine("", 10), "");
    EXPECT_TRUE(c.client.LineTimedOut());
    try {
        c.client.ReadLine();
        FAIL();
    } catch (const EIdReadTimeout& e) {
        EXPECT_EQ(e.Message(), "Read timed out.");
    }
}

TEST(TCPConnectionTest, ReadTimeoutEndsSendsThatThePeerNeverTakesAndDropsTheConnection) {
    // More than the socket buffers of both ends take.
    const std::string bulk(size_t{32} << 20, 'w');
    const qv::test::ScopedTempFolder folder;
    const std::string path = folder.Write("bulk", bulk);
    const std::vector<std::pair<const char*, std::function<void(TIdTCPClient&)>>> sends = {
        {"text", [&](TIdTCPClient& client) { client.WriteText(bulk); }},
        {"file by the system", [&](TIdTCPClient& client) { client.WriteFileContents(path, true); }},
    };
    for (const auto& [name, send] : sends) {
        std::promise<void> clientDone;
        Connection c([ended = clientDone.get_future().share()](ScriptedPeer&, int) {
            ended.wait_for(std::chrono::seconds(60));
        });
        c.client.ReadTimeout = 200;
        c.client.Connect();
        try {
            send(c.client);
            ADD_FAILURE() << name << ": the send ended";
        } catch (const EIdWriteTimeout& e) {
            EXPECT_EQ(e.Message(), "Write timed out.") << name;
        }
        EXPECT_FALSE(c.client.SocketHandle().Allocated()) << name;
        clientDone.set_value();
    }
}

TEST(TCPConnectionTest, ConnectedNoticesPeerCloseAndWritesRefuseClosedPeer) {
    Connection c([](ScriptedPeer& peer, int) { peer.Close(); });
    c.client.Connect();
    EXPECT_THROW(c.client.ReadLine(), EIdConnClosedGracefully);
    EventLog log;
    log.Watch(c.client);
    EXPECT_FALSE(c.client.Connected());
    EXPECT_TRUE(log.entries.empty());
    EXPECT_THROW(c.client.WriteLine("late"), EIdConnClosedGracefully);
}

TEST(TCPConnectionTest, ReceiveThatSeesThePeerCloseDropsTheSocketAtOnce) {
    Connection c([](ScriptedPeer& peer, int) {
        peer.Send("x");
        peer.Close();
    });
    c.client.Connect();
    EventLog log;
    log.Watch(c.client);
    EXPECT_EQ(c.client.ReadLine("\n", 2000), "");
    EXPECT_EQ(log.entries, (std::vector<std::string>{"Disconnecting from 127.0.0.1.", "Not connected.",
                                                     "OnDisconnected"}));
    EXPECT_TRUE(c.client.PeerClosed());
    EXPECT_FALSE(c.client.Connected());
    EXPECT_EQ(log.entries.size(), 3u);
}

class CountingIntercept : public TIdConnectionIntercept {
public:
    std::string received;
    std::string sent;
    int detached = 0;
    void DataReceived(const void* bytes, int count) override {
        received.append(static_cast<const char*>(bytes), static_cast<size_t>(count));
    }
    void DataSent(const void* bytes, int count) override {
        sent.append(static_cast<const char*>(bytes), static_cast<size_t>(count));
    }
    void Detach() override {
        ++detached;
        TIdConnectionIntercept::Detach();
    }
};

TEST(TCPConnectionTest, InterceptWatchesBytesAndIsDroppedWhenDestroyed) {
    Connection c([](ScriptedPeer& peer, int) {
        peer.ReadExactly(6);
        peer.Send("pong\n");
        peer.ReadUntilClose();
    });
    try {
        c.client.SetInterceptEnabled(true);
        FAIL();
    } catch (const EIdInterceptPropIsNil& e) {
        EXPECT_EQ(e.Message(), "InterceptEnabled cannot be set to true when Intercept is nil.");
    }
    auto* intercept = new CountingIntercept;
    TIdSocketHandle* attached = nullptr;
    intercept->OnConnect = [&](TIdConnectionIntercept*, TIdSocketHandle* handle) { attached = handle; };
    c.client.SetIntercept(intercept);
    c.client.SetInterceptEnabled(true);
    c.client.Connect();
    EXPECT_EQ(attached, &c.client.SocketHandle());
    c.client.WriteLine("ping");
    EXPECT_EQ(c.client.ReadLine(), "pong");
    EXPECT_EQ(intercept->sent, "ping\r\n");
    EXPECT_EQ(intercept->received, "pong\n");
    c.client.Disconnect();
    EXPECT_EQ(intercept->detached, 1);
    delete intercept;
    EXPECT_EQ(c.client.Intercept(), nullptr);
    EXPECT_FALSE(c.client.InterceptEnabled());
}

class CountingAntiFreeze : public TIdAntiFreezeBase {
public:
    int calls = 0;
    void Process() override { ++calls; }
};

TEST(TCPConnectionTest, AntiFreezeRunsDuringIdleWaits) {
    Connection c([](ScriptedPeer& peer, int) {
        peer.ReadExactly(3);
        peer.Send("late\n");
        peer.ReadUntilClose();
    });
    CountingAntiFreeze antiFreeze;
    antiFreeze.IdleTimeOut = 20;
    EXPECT_EQ(GActiveAntiFreeze, &antiFreeze);
    c.client.Connect();
    EXPECT_EQ(c.client.ReadLine("\n", 70), "");
    EXPECT_GE(antiFreeze.calls, 2);
    antiFreeze.calls = 0;
    c.client.WriteLine("go");
    EXPECT_EQ(antiFreeze.calls, 0);
    EXPECT_EQ(c.client.ReadLine(), "late");
    antiFreeze.calls = 0;
    antiFreeze.OnlyWhenIdle = false;
    c.client.WriteLine("x");
    EXPECT_GE(antiFreeze.calls, 1);
}

TEST(TCPConnectionTest, RandomBytesAndClosesNeverHangOrCrashLineReads) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 40; ++round) {
        std::string bytes(random() % 3000, '\0');
        for (char& b : bytes)
            b = static_cast<char>(random() % 4 == 0 ? '\n' : random() % 256);
        const bool reset = random() % 3 == 0;
        Connection c([&](ScriptedPeer& peer, int) {
            peer.Send(bytes);
            if (reset)
                peer.Reset();
            else
                peer.Close();
        });
        c.client.MaxLineLength = 1000;
        std::string seen;
        try {
            c.client.Connect();
            for (int i = 0; i < 10000; ++i)
                seen += c.client.ReadLine() + "\n";
            FAIL() << "no end after 10000 lines";
        } catch (const EIdException&) {}
    }
}

TEST(TCPConnectionTest, ConnectAndReadAllTakesEverythingUntilClose) {
    Connection c([](ScriptedPeer& peer, int) {
        peer.Send("first part, ");
        peer.Send("second part");
        peer.Close();
    });
    EventLog log;
    log.Watch(c.client);
    EXPECT_EQ(c.client.ConnectAndReadAll(), "first part, second part");
    EXPECT_FALSE(c.client.Connected());
    EXPECT_NE(std::find(log.entries.begin(), log.entries.end(), "begin 0 0"), log.entries.end());
    EXPECT_NE(std::find(log.entries.begin(), log.entries.end(), "work 0 23"), log.entries.end());
}

TEST(TCPConnectionTest, FileSentToAResetPeerFailsWithoutSignal) {
    const qv::test::ScopedTempFolder folder;
    const std::string content(4 * 1024 * 1024, 'f');
    const std::string path = folder.Write("content", content);
    std::promise<void> wasReset;
    Connection c([&](ScriptedPeer& peer, int) {
        peer.ReadExactly(1);
        peer.Reset();
        wasReset.set_value();
    });
    c.client.Connect();
    c.client.WriteText("x");
    ASSERT_EQ(wasReset.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    int64_t sent = 1;
    for (int i = 0; i < 3 && sent != 0; ++i)
        sent = c.client.WriteFileContents(path, true);
    EXPECT_EQ(sent, 0);
}

} // namespace
} // namespace qv::http::test
