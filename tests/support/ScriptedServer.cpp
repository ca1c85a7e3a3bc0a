#include "tests/support/ScriptedServer.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::test {

namespace {
thread_local ScriptedServer* currentServer = nullptr;
}

ScriptedPeer::~ScriptedPeer() {
    if (fd_ >= 0) ::close(fd_);
}

std::string ScriptedPeer::ReadHead() {
    return ReadUntil("\r\n\r\n");
}

std::string ScriptedPeer::ReadUntil(const std::string& terminator) {
    for (;;) {
        const auto end = pending_.find(terminator);
        if (end != std::string::npos) {
            std::string head = pending_.substr(0, end + terminator.size());
            pending_.erase(0, end + terminator.size());
            if (currentServer) currentServer->Record(head);
            return head;
        }
        char buffer[4096];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) {
            std::string partial;
            partial.swap(pending_);
            return partial;
        }
        pending_.append(buffer, static_cast<size_t>(n));
    }
}

std::string ScriptedPeer::ReadExactly(size_t n) {
    while (pending_.size() < n) {
        char buffer[4096];
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        pending_.append(buffer, static_cast<size_t>(got));
    }
    std::string out = pending_.substr(0, n);
    pending_.erase(0, out.size());
    return out;
}

std::string ScriptedPeer::ReadUntilClose() {
    std::string out;
    out.swap(pending_);
    char buffer[4096];
    ssize_t n;
    while ((n = ::recv(fd_, buffer, sizeof buffer, 0)) > 0)
        out.append(buffer, static_cast<size_t>(n));
    return out;
}

void ScriptedPeer::Send(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

void ScriptedPeer::SendSlowly(const std::string& bytes, size_t piece, std::chrono::milliseconds pause) {
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    for (size_t at = 0; at < bytes.size(); at += piece) {
        if (at > 0) std::this_thread::sleep_for(pause);
        Send(bytes.substr(at, piece));
    }
}

void ScriptedPeer::Close() {
    if (fd_ < 0) return;
    ::shutdown(fd_, SHUT_WR);
    // Wait for the client's own close so that our close does not turn into a reset.
    pollfd p{fd_, POLLIN, 0};
    char buffer[4096];
    while (::poll(&p, 1, 2000) > 0 && ::recv(fd_, buffer, sizeof buffer, 0) > 0) {}
    ::close(fd_);
    fd_ = -1;
}

void ScriptedPeer::Reset() {
    if (fd_ < 0) return;
    linger l{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd_);
    fd_ = -1;
}

ScriptedServer::ScriptedServer(Script script) : script_(std::move(script)) {
    thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
    stopping_ = true;
    listener_.Shutdown();
    thread_.join();
}

void ScriptedServer::Serve() {
    currentServer = this;
    while (!stopping_) {
        pollfd p{listener_.Fd(), POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        const int fd = listener_.Accept();
        if (fd < 0) continue;
        ScriptedPeer peer(fd);
        const int index = connections_++;
        script_(peer, index);
    }
}

std::vector<std::string> ScriptedServer::Heads() const {
    std::lock_guard lock(mutex_);
    return heads_;
}

void ScriptedServer::Record(const std::string& head) {
    std::lock_guard lock(mutex_);
    heads_.push_back(head);
}

ScriptedServer::Script ScriptedServer::Reply(std::string bytes) {
    return [bytes = std::move(bytes)](ScriptedPeer& peer, int) {
        peer.ReadHead();
        peer.Send(bytes);
        peer.Close();
    };
}

} // namespace qv::test
