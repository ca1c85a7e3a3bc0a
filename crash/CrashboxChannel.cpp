#include "crash/CrashboxChannel.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/socket.h>

namespace qv::crash {

namespace {

constexpr size_t kHeaderSize = 5;

} // namespace

bool TCrashboxChannel::Write(TKind kind, const std::string& payload) {
    const auto length = static_cast<uint32_t>(payload.size());
    std::string bytes{static_cast<char>(kind), static_cast<char>(length & 0xFF),
                      static_cast<char>((length >> 8) & 0xFF), static_cast<char>((length >> 16) & 0xFF),
                      static_cast<char>(length >> 24)};
    bytes += payload;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t sent = ::send(socket_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        done += static_cast<size_t>(sent);
    }
    return true;
}

uint32_t TCrashboxChannel::PendingLength() const {
    uint32_t length = 0;
    for (size_t i = kHeaderSize - 1; i >= 1; --i)
        length = (length << 8) | static_cast<unsigned char>(received_[i]);
    return length;
}

bool TCrashboxChannel::TakeMessage(TMessage& message) {
    if (received_.size() < kHeaderSize) return false;
    const uint32_t length = PendingLength();
    if (received_.size() - kHeaderSize < length) return false;
    message.kind = static_cast<TKind>(received_[0]);
    message.payload = received_.substr(kHeaderSize, length);
    received_.erase(0, kHeaderSize + length);
    return true;
}

TCrashboxChannel::TRead TCrashboxChannel::Read(TMessage& message, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (TakeMessage(message)) return TRead::Message;
        if (received_.size() >= kHeaderSize && PendingLength() > kMaxPayload) return TRead::Closed;
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            wait = static_cast<int>(std::max<int64_t>(0, left.count()));
        }
        pollfd entry{socket_, POLLIN, 0};
        const int ready = ::poll(&entry, 1, wait);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return TRead::Closed;
        if (ready == 0) return TRead::Timeout;
        char buffer[65536];
        const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) return TRead::Closed;
        received_.append(buffer, static_cast<size_t>(got));
    }
}

} // namespace qv::crash
