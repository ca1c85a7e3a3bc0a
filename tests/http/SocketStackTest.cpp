#include "framework/EConvertError.h"
#include "http/IdException.h"
#include "http/IdSocketHandle.h"
#include "http/IdStack.h"
#include "tests/support/ScriptedServer.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace qv::http::test {

using qv::test::ScriptedPeer;
using qv::test::ScriptedServer;

namespace {

class SocketStackTest : public ::testing::Test {
protected:
    void SetUp() override { AcquireSocketStack(); }
    void TearDown() override { ReleaseSocketStack(); }
    TIdStack& Stack() { return *GSocketStack; }
};

TEST_F(SocketStackTest, ErrorTextsKeepTheirExactForm) {
    EXPECT_EQ(Stack().ErrorText(10004), "Interrupted system call.");
    EXPECT_EQ(Stack().ErrorText(10035), "Operation would block. ");
    EXPECT_EQ(Stack().ErrorText(10061), "Connection refused.");
    EXPECT_EQ(Stack().ErrorText(10066), "Directory not empty");
    EXPECT_EQ(Stack().ErrorText(11001), "");
    EXPECT_EQ(Stack().ErrorText(0), "");
}

TEST_F(SocketStackTest, RaiseErrorCarriesCodeAndTwoLineMessage) {
    try {
        Stack().RaiseError(11001);
        FAIL();
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.LastError(), 11001);
        EXPECT_EQ(e.Message(), "Socket Error # 11001\r\n");
    }
    try {
        Stack().RaiseError(10054);
        FAIL();
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.Message(), "Socket Error # 10054\r\nConnection reset by peer.");
    }
}

TEST_F(SocketStackTest, CheckResultIgnoresOnlyTheGivenCodes) {
    EXPECT_FALSE(Stack().CheckResult(0));
    EXPECT_FALSE(Stack().CheckResult(5));
    const TIdStackSocketHandle socket = Stack().NewSocket(Id_SOCK_STREAM, 0);
    const int bad = Stack().SetSocketOption(socket, IPPROTO_TCP, 0x7777, nullptr, 0);
    Stack().CloseSocket(socket);
    const int code = Stack().LastError();
    EXPECT_TRUE(Stack().CheckResult(bad, {code}));
    EXPECT_THROW(Stack().CheckResult(bad, {10061}), EIdSocketError);
}

TEST_F(SocketStackTest, ResolveAnswersLocalhostAndDottedAddressesWithoutLookUp) {
    EXPECT_EQ(Stack().Resolve("localhost"), "127.0.0.1");
    EXPECT_EQ(Stack().Resolve("LocalHost"), "127.0.0.1");
    EXPECT_EQ(Stack().Resolve("10.1.2.3"), "10.1.2.3");
}

TEST_F(SocketStackTest, UnknownHostRaisesResolverCodeWithEmptySecondLine) {
    try {
        Stack().Resolve("no-such-host.invalid");
        FAIL();
    } catch (const EIdSocketError& e) {
        EXPECT_GE(e.LastError(), 11001);
        EXPECT_LE(e.LastError(), 11004);
        EXPECT_EQ(e.Message(), "Socket Error # " + std::to_string(e.LastError()) + "\r\n");
    }
}

TEST_F(SocketStackTest, DottedAddressNeedsFourDecimalPartsUpTo255) {
    EXPECT_TRUE(TIdStack::IsDottedAddress("0.0.0.0"));
    EXPECT_TRUE(TIdStack::IsDottedAddress("255.255.255.255"));
    EXPECT_TRUE(TIdStack::IsDottedAddress("127.0.0.1"));
    for (const char* text : {"1.2.3", "1.2.3.4.5", "256.1.1.1", "a.b.c.d", "1..2.3", "", "1.2.3.", " 1.2.3.4",
                             "1.2.3.-4", "1.2.3.1000"})
        EXPECT_FALSE(TIdStack::IsDottedAddress(text)) << text;
}

TEST_F(SocketStackTest, AddressTextConversionsKeepLowBytes) {
    uint8_t bytes[4];
    Stack().AddressFromText("192.168.1.260", bytes);
    EXPECT_EQ(bytes[0], 192);
    EXPECT_EQ(bytes[3], 4);
    EXPECT_EQ(Stack().FormatAddress(bytes), "192.168.1.4");
    const uint32_t address = Stack().ParseAddress("1.2.3.4");
    EXPECT_EQ(std::memcmp(&address, "\x01\x02\x03\x04", 4), 0);
    EXPECT_THROW(Stack().ParseAddress("a.b.c.d"), framework::EConvertError);
}

TEST_F(SocketStackTest, SelectSplitsTimeoutAndLimitsSetSize) {
    const TIdSplitTimeout split = TIdStack::SplitTimeout(1500);
    EXPECT_EQ(split.Seconds, 1);
    EXPECT_EQ(split.Microseconds, 500000);
    TIdSocketList tooMany(65, 0);
    EXPECT_THROW(Stack().Select(&tooMany, nullptr, nullptr, 0), EIdStackSetSizeExceeded);
}

TEST_F(SocketStackTest, SelectReportsOnlyReadySockets) {
    ScriptedServer server([](ScriptedPeer& peer, int) {
        peer.Send("x");
        peer.Close();
    });
    TIdSocketHandle handle;
    handle.Allocate(Id_SOCK_STREAM, 0);
    handle.SetPeer("127.0.0.1", server.Port());
    ASSERT_EQ(handle.Connect(), 0);
    EXPECT_EQ(handle.PeerPort(), server.Port());
    EXPECT_NE(handle.Port, 0);
    EXPECT_TRUE(handle.WaitReadable(5000));
    char byte = 0;
    EXPECT_EQ(handle.Receive(&byte, 1), 1);
    EXPECT_EQ(byte, 'x');
    TIdSocketList none;
    EXPECT_EQ(Stack().Select(&none, nullptr, nullptr, 10), 0);
}

TEST_F(SocketStackTest, WaitReadableTimesOutAndRefusesClosedHandle) {
    ScriptedServer server([](ScriptedPeer& peer, int) { peer.ReadUntilClose(); });
    TIdSocketHandle handle;
    handle.Allocate(Id_SOCK_STREAM, 0);
    handle.SetPeer("127.0.0.1", server.Port());
    ASSERT_EQ(handle.Connect(), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(handle.WaitReadable(50));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));
    handle.Close();
    EXPECT_EQ(handle.Handle(), Id_INVALID_SOCKET);
    EXPECT_EQ(handle.PeerIP(), "");
    EXPECT_THROW(handle.WaitReadable(0), EIdConnClosedGracefully);
}

TEST_F(SocketStackTest, CloseEndsTheStreamInOrder) {
    std::promise<std::string> received;
    ScriptedServer server([&](ScriptedPeer& peer, int) { received.set_value(peer.ReadUntilClose()); });
    TIdSocketHandle handle;
    handle.Allocate(Id_SOCK_STREAM, 0);
    handle.SetPeer("127.0.0.1", server.Port());
    ASSERT_EQ(handle.Connect(), 0);
    ASSERT_EQ(handle.Send("bye", 3), 3);
    handle.Close();
    auto result = received.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(result.get(), "bye");
}

TEST_F(SocketStackTest, BindToAddressInUseGivesBindError) {
    ScriptedServer server([](ScriptedPeer&, int) {});
    TIdSocketHandle handle;
    handle.Allocate(Id_SOCK_STREAM, 0);
    handle.IP = "127.0.0.1";
    handle.Port = server.Port();
    try {
        handle.Bind();
        FAIL();
    } catch (const EIdCouldNotBindSocket& e) {
        EXPECT_EQ(e.Message(), "Could not bind socket. Address and port are already in use.");
    }
}

TEST_F(SocketStackTest, RefusedConnectAndSendToClosedPeerReportWindowsCodes) {
    int freePort;
    {
        ScriptedServer probe([](ScriptedPeer&, int) {});
        freePort = probe.Port();
    }
    TIdSocketHandle handle;
    handle.Allocate(Id_SOCK_STREAM, 0);
    handle.SetPeer("127.0.0.1", freePort);
    EXPECT_EQ(handle.Connect(), Id_SOCKET_ERROR);
    EXPECT_EQ(Stack().LastError(), 10061);

    // The reset waits until the connect has read both addresses back, which needs a live peer.
    std::promise<void> connected;
    std::promise<void> wasReset;
    ScriptedServer server([&](ScriptedPeer& peer, int) {
        connected.get_future().wait_for(std::chrono::seconds(10));
        peer.Reset();
        wasReset.set_value();
    });
    handle.Allocate(Id_SOCK_STREAM, 0);
    handle.SetPeer("127.0.0.1", server.Port());
    ASSERT_EQ(handle.Connect(), 0);
    connected.set_value();
    ASSERT_EQ(wasReset.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    // Without MSG_NOSIGNAL the second send after the reset would end the test program with SIGPIPE.
    int result = 0;
    for (int i = 0; i < 3 && result != Id_SOCKET_ERROR; ++i)
        result = handle.Send("data", 4);
    ASSERT_EQ(result, Id_SOCKET_ERROR);
    EXPECT_TRUE(Stack().LastError() == 10054 || Stack().LastError() == 10058) << Stack().LastError();
}

TEST_F(SocketStackTest, ServicesAndLocalNamesComeFromTheSystem) {
    EXPECT_EQ(Stack().ServiceToPort("8080"), 8080);
    EXPECT_EQ(Stack().ServiceToPort("http"), 80);
    try {
        Stack().ServiceToPort("no-such-service");
        FAIL();
    } catch (const EIdInvalidServiceName& e) {
        EXPECT_EQ(e.Message(), "no-such-service is not a valid service.");
    }
    EXPECT_EQ(Stack().PortToServices(80).IndexOf("http"), 0);
    EXPECT_FALSE(Stack().LocalHostName().empty());
    for (const std::string& address : Stack().LocalAddresses().Lines())
        EXPECT_TRUE(TIdStack::IsDottedAddress(address)) << address;
}

TEST_F(SocketStackTest, ListenAcceptAndDatagramsWorkOnLoopback) {
    const TIdStackSocketHandle listener = Stack().NewSocket(Id_SOCK_STREAM, 0);
    ASSERT_EQ(Stack().BindSocket(listener, Id_PF_INET, "127.0.0.1", 0), 0);
    ASSERT_EQ(Stack().Listen(listener, 1), 0);
    TIdSocketAddress local;
    ASSERT_TRUE(Stack().LocalAddressOf(listener, local));
    TIdSocketHandle client;
    client.Allocate(Id_SOCK_STREAM, 0);
    client.SetPeer("127.0.0.1", local.Port);
    ASSERT_EQ(client.Connect(), 0);
    std::string peerIP;
    int peerPort = 0;
    const TIdStackSocketHandle accepted = Stack().Accept(listener, peerIP, peerPort);
    ASSERT_GE(accepted, 0);
    EXPECT_EQ(peerIP, "127.0.0.1");
    EXPECT_EQ(peerPort, client.Port);
    Stack().CloseSocket(accepted);
    Stack().CloseSocket(listener);

    const TIdStackSocketHandle receiver = Stack().NewSocket(Id_SOCK_DGRAM, 0);
    ASSERT_EQ(Stack().BindSocket(receiver, Id_PF_INET, "127.0.0.1", 0), 0);
    ASSERT_TRUE(Stack().LocalAddressOf(receiver, local));
    const TIdStackSocketHandle sender = Stack().NewSocket(Id_SOCK_DGRAM, 0);
    ASSERT_EQ(Stack().SendTo(sender, "dgram", 5, 0, "127.0.0.1", local.Port), 5);
    char buffer[16] = {};
    std::string from;
    int fromPort = 0;
    ASSERT_EQ(Stack().ReceiveFrom(receiver, buffer, sizeof buffer, 0, from, fromPort), 5);
    EXPECT_EQ(std::string(buffer, 5), "dgram");
    EXPECT_EQ(from, "127.0.0.1");
    Stack().CloseSocket(sender);
    Stack().CloseSocket(receiver);
}

// Runs `call` while another thread keeps sending this one a signal whose handler does nothing
// and asks for no restart, as a program's timer or child signals do; `release` lets the call
// complete after the first few signals. Answers the call's result.
int UnderSignals(const std::function<int()>& call, const std::function<void()>& release) {
    struct sigaction quiet {};
    quiet.sa_handler = [](int) {};
    sigemptyset(&quiet.sa_mask);
    struct sigaction previous {};
    sigaction(SIGUSR1, &quiet, &previous);
    const pthread_t target = pthread_self();
    std::atomic<bool> done{false};
    std::thread signaller([&] {
        for (int sent = 0; !done; ++sent) {
            pthread_kill(target, SIGUSR1);
            if (sent == 5) release();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const int result = call();
    done = true;
    signaller.join();
    sigaction(SIGUSR1, &previous, nullptr);
    return result;
}

// A listening socket on 127.0.0.1; its port is left in `port`.
TIdStackSocketHandle Listener(TIdStack& stack, int backlog, int& port) {
    const TIdStackSocketHandle listener = stack.NewSocket(Id_SOCK_STREAM, 0);
    EXPECT_EQ(stack.BindSocket(listener, Id_PF_INET, "127.0.0.1", 0), 0);
    EXPECT_EQ(stack.Listen(listener, backlog), 0);
    TIdSocketAddress local;
    EXPECT_TRUE(stack.LocalAddressOf(listener, local));
    port = local.Port;
    return listener;
}

TEST_F(SocketStackTest, BlockingCallsWaitThroughSignals) {
    // A listener whose queue is full lets the next connect wait until it accepts.
    int fullPort = 0;
    const TIdStackSocketHandle full = Listener(Stack(), 0, fullPort);
    std::vector<TIdStackSocketHandle> queued;
    for (bool stalls = false; !stalls && queued.size() < 8;) {
        const TIdStackSocketHandle probe = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        Stack().ConnectSocket(probe, Id_PF_INET, "127.0.0.1", fullPort);
        pollfd entry{probe, POLLOUT, 0};
        stalls = ::poll(&entry, 1, 200) == 0;
        // A stalled probe is dropped: it would take the place meant for the connect under test.
        if (stalls)
            ::close(probe);
        else
            queued.push_back(probe);
    }
    ::fcntl(full, F_SETFL, O_NONBLOCK);
    const auto acceptQueued = [&] {
        std::string ip;
        int port = 0;
        for (TIdStackSocketHandle accepted; (accepted = Stack().Accept(full, ip, port)) >= 0;)
            queued.push_back(accepted);
    };
    const TIdStackSocketHandle connecting = Stack().NewSocket(Id_SOCK_STREAM, 0);

    int listenPort = 0;
    const TIdStackSocketHandle listener = Listener(Stack(), 1, listenPort);
    const TIdStackSocketHandle comingIn = Stack().NewSocket(Id_SOCK_STREAM, 0);

    int datagramPort = 0;
    const TIdStackSocketHandle datagrams = Stack().NewSocket(Id_SOCK_DGRAM, 0);
    Stack().BindSocket(datagrams, Id_PF_INET, "127.0.0.1", 0);
    TIdSocketAddress local;
    Stack().LocalAddressOf(datagrams, local);
    datagramPort = local.Port;
    const TIdStackSocketHandle datagramSender = Stack().NewSocket(Id_SOCK_DGRAM, 0);

    std::promise<void> sendNow;
    ScriptedServer server([ready = sendNow.get_future().share()](ScriptedPeer& peer, int) {
        ready.wait_for(std::chrono::seconds(30));
        peer.Send("late");
        peer.ReadUntilClose();
    });
    TIdSocketHandle streamed;
    streamed.Allocate(Id_SOCK_STREAM, 0);
    streamed.SetPeer("127.0.0.1", server.Port());
    ASSERT_EQ(streamed.Connect(), 0);

    char buffer[16];
    std::string peerIP;
    int peerPort = 0;
    const struct {
        const char* name;
        std::function<int()> call;
        std::function<void()> release;
        int expected;
    } calls[] = {
        {"connect", [&] { return Stack().ConnectSocket(connecting, Id_PF_INET, "127.0.0.1", fullPort); },
         acceptQueued, 0},
        {"accept",
         [&] {
             queued.push_back(Stack().Accept(listener, peerIP, peerPort));
             return queued.back() >= 0 ? 0 : Id_SOCKET_ERROR;
         },
         [&] { Stack().ConnectSocket(comingIn, Id_PF_INET, "127.0.0.1", listenPort); }, 0},
        {"receive from",
         [&] { return Stack().ReceiveFrom(datagrams, buffer, sizeof buffer, 0, peerIP, peerPort); },
         [&] { Stack().SendTo(datagramSender, "late", 4, 0, "127.0.0.1", datagramPort); }, 4},
        {"receive", [&] { return streamed.Receive(buffer, 4); }, [&] { sendNow.set_value(); }, 4},
    };
    for (const auto& blocking : calls)
        EXPECT_EQ(UnderSignals(blocking.call, blocking.release), blocking.expected)
            << blocking.name << ": error " << Stack().LastError();
    for (TIdStackSocketHandle socket : queued)
        Stack().CloseSocket(socket);
    for (TIdStackSocketHandle socket : {full, connecting, listener, comingIn, datagrams, datagramSender})
        Stack().CloseSocket(socket);
}

TEST_F(SocketStackTest, AddressesAndPortsOutOfRangeAreRefusedNotCut) {
    ScriptedServer server([](ScriptedPeer&, int) {});
    TIdSocketHandle handle;
    handle.Allocate(Id_SOCK_STREAM, 0);
    handle.SetPeer("127.0.0.1", server.Port() + 65536);
    EXPECT_EQ(handle.Connect(), Id_SOCKET_ERROR);
    EXPECT_EQ(Stack().LastError(), 10022);
    handle.SetPeer("not.an.address", server.Port());
    EXPECT_EQ(handle.Connect(), Id_SOCKET_ERROR);
    handle.SetPeer("127.000.000.001", server.Port());
    EXPECT_EQ(handle.Connect(), 0);
    EXPECT_EQ(handle.PeerIP(), "127.0.0.1");
}

} // namespace
} // namespace qv::http::test
