#include "fuzz/support/MemoryPeer.h"

#include <algorithm>
#include <cstring>

namespace qv::fuzz {

namespace {
constexpr int kPeerPort = 80;
constexpr int kLocalPort = 40000;
} // namespace

MemoryPeer::MemoryPeer(std::vector<std::string> answers, Answers when, size_t piece)
    : answers_(std::move(answers)), when_(when), piece_(std::max<size_t>(piece, 1)) {
    http::GSocketStack = this;
}

MemoryPeer::~MemoryPeer() {
    http::GSocketStack = nullptr;
}

void MemoryPeer::SetAnswers(std::vector<std::string> answers) {
    answers_ = std::move(answers);
    nextAnswer_ = 0;
}

void MemoryPeer::SendNextAnswer() {
    if (nextAnswer_ < answers_.size()) pending_ += answers_[nextAnswer_++];
}

http::TIdStackSocketHandle MemoryPeer::CreateSocket(int, int, int) {
    return ++lastSocket_;
}

int MemoryPeer::BindSocket(http::TIdStackSocketHandle, int, const std::string&, int) {
    return 0;
}

int MemoryPeer::ConnectSocket(http::TIdStackSocketHandle socket, int, const std::string&, int) {
    open_ = socket;
    peerClosed_ = false;
    pending_.clear();
    head_.clear();
    if (when_ == Answers::PerConnection) SendNextAnswer();
    return 0;
}

int MemoryPeer::ConnectSocketWithin(http::TIdStackSocketHandle socket, int family, const std::string& ip,
                                    int port, int) {
    return ConnectSocket(socket, family, ip, port);
}

int MemoryPeer::CloseSocket(http::TIdStackSocketHandle socket) {
    if (socket == open_) open_ = http::Id_INVALID_SOCKET;
    return 0;
}

int MemoryPeer::Shutdown(http::TIdStackSocketHandle, int) {
    return 0;
}

int MemoryPeer::Receive(http::TIdStackSocketHandle socket, void* buffer, int length, int) {
    if (!IsOpen(socket) || pending_.empty()) {
        peerClosed_ = true;
        return 0;
    }
    const size_t count = std::min({pending_.size(), piece_, static_cast<size_t>(std::max(length, 0))});
    std::memcpy(buffer, pending_.data(), count);
    pending_.erase(0, count);
    return static_cast<int>(count);
}

int MemoryPeer::Send(http::TIdStackSocketHandle socket, const void* buffer, int length, int) {
    const std::string bytes(static_cast<const char*>(buffer), static_cast<size_t>(std::max(length, 0)));
    received_ += bytes;
    if (IsOpen(socket) && when_ == Answers::PerRequestHead) {
        head_ += bytes;
        for (size_t end = head_.find("\r\n\r\n"); end != std::string::npos; end = head_.find("\r\n\r\n")) {
            head_.erase(0, end + 4);
            SendNextAnswer();
        }
    }
    return length;
}

int MemoryPeer::Select(http::TIdSocketList* readList, http::TIdSocketList* writeList,
                       http::TIdSocketList* errorList, int timeout) {
    int ready = 0;
    if (readList) {
        std::erase_if(*readList, [&](http::TIdStackSocketHandle socket) {
            // A wait without limit ends in the peer's close at the latest.
            const bool readable =
                socket != open_ || peerClosed_ || !pending_.empty() || timeout == http::IdTimeoutForever;
            return !readable;
        });
        ready += static_cast<int>(readList->size());
    }
    if (writeList) ready += static_cast<int>(writeList->size());
    if (errorList) errorList->clear();
    return ready;
}

int MemoryPeer::SetSocketOption(http::TIdStackSocketHandle, int, int, const void*, int) {
    return 0;
}

std::string MemoryPeer::HostToAddress(const std::string&) {
    return "127.0.0.1";
}

bool MemoryPeer::PeerAddressOf(http::TIdStackSocketHandle, http::TIdSocketAddress& address) {
    address = {http::Id_PF_INET, "127.0.0.1", kPeerPort};
    return true;
}

bool MemoryPeer::LocalAddressOf(http::TIdStackSocketHandle, http::TIdSocketAddress& address) {
    address = {http::Id_PF_INET, "127.0.0.1", kLocalPort};
    return true;
}

} // namespace qv::fuzz
