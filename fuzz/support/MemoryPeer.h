#pragma once

#include "http/IdStackBsd.h"

#include <cstddef>
#include <string>
#include <vector>

namespace qv::fuzz {

// A socket stack whose every connection leads to one scripted peer held in memory, so that a
// fuzz target drives the client's own reading code without sockets, threads or waits. While it
// lives it is the process's socket stack.
//
// The peer hands out its answers in order: with PerConnection, the next answer as soon as a
// connection opens (a handshake, or a server that speaks first); with PerRequestHead, the next
// answer whenever the client has sent a request head ending in an empty line. Bytes reach the
// client in pieces of at most `piece` bytes. A client that waits for more than the peer has sent
// finds the connection closed, as a server that has said all it will would close it; a look
// with a time-out finds nothing to read instead, as on a kept-alive connection.
class MemoryPeer : public http::TIdStackBsd {
public:
    enum class Answers { PerConnection, PerRequestHead };

    MemoryPeer(std::vector<std::string> answers, Answers when, size_t piece);
    ~MemoryPeer() override;
    MemoryPeer(const MemoryPeer&) = delete;
    MemoryPeer& operator=(const MemoryPeer&) = delete;

    // Replaces the answers not yet handed out; bytes already sent stay on their connection.
    void SetAnswers(std::vector<std::string> answers);
    // Every byte the client has sent, over all connections.
    const std::string& Received() const { return received_; }

    http::TIdStackSocketHandle CreateSocket(int family, int type, int protocol) override;
    int BindSocket(http::TIdStackSocketHandle socket, int family, const std::string& ip, int port) override;
    int ConnectSocket(http::TIdStackSocketHandle socket, int family, const std::string& ip,
                      int port) override;
    int ConnectSocketWithin(http::TIdStackSocketHandle socket, int family, const std::string& ip, int port,
                            int timeout) override;
    int CloseSocket(http::TIdStackSocketHandle socket) override;
    int Shutdown(http::TIdStackSocketHandle socket, int how) override;
    int Receive(http::TIdStackSocketHandle socket, void* buffer, int length, int flags) override;
    int Send(http::TIdStackSocketHandle socket, const void* buffer, int length, int flags) override;
    int Select(http::TIdSocketList* readList, http::TIdSocketList* writeList, http::TIdSocketList* errorList,
               int timeout) override;
    int SetSocketOption(http::TIdStackSocketHandle socket, int level, int option, const void* value,
                        int length) override;
    std::string HostToAddress(const std::string& host) override;
    bool PeerAddressOf(http::TIdStackSocketHandle socket, http::TIdSocketAddress& address) override;
    bool LocalAddressOf(http::TIdStackSocketHandle socket, http::TIdSocketAddress& address) override;

private:
    bool IsOpen(http::TIdStackSocketHandle socket) const { return socket == open_ && !peerClosed_; }
    void SendNextAnswer();

    std::vector<std::string> answers_;
    size_t nextAnswer_ = 0;
    Answers when_;
    size_t piece_;
    // The one connection that is open, and what the peer has sent on it that is not yet read.
    http::TIdStackSocketHandle open_ = http::Id_INVALID_SOCKET;
    http::TIdStackSocketHandle lastSocket_ = 100;
    bool peerClosed_ = false;
    std::string pending_;
    // The request head being received on the open connection.
    std::string head_;
    std::string received_;
};

} // namespace qv::fuzz
