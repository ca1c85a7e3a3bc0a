#include "server/frontend/Connection.h"

#include "server/frontend/HttpReply.h"
#include "server/frontend/RequestLog.h"

namespace qv::server {

namespace {

constexpr size_t kReadChunk = 16 * 1024;
// What a closing client may still send is dropped this many chunks at a turn, so that a client
// that keeps sending cannot keep the thread from others.
constexpr int kLingerChunksPerTurn = 4;

} // namespace

Connection::Connection(std::unique_ptr<Transport> transport, ClientAddress client,
                       const FrontEndLimits& limits, Clock::time_point now)
    : transport_(std::move(transport)), client_(std::move(client)), limits_(limits), phase_(Phase::Handshake),
      headDeadline_(now + limits.headTimeout) {}

bool Connection::ReceivingHead() const {
    return phase_ == Phase::Handshake || (phase_ == Phase::Reading && (!answeredOne_ || !input_.empty()));
}

void Connection::SetReply(std::string reply) {
    output_ = std::move(reply);
    written_ = 0;
    keepAlive_ = request_.keepAlive;
    phase_ = Phase::Writing;
}

Connection::Next Connection::Advance(Clock::time_point now) {
    for (;;) {
        std::optional<Next> next;
        switch (phase_) {
        case Phase::Handshake: {
            const IoResult result = transport_->Handshake();
            if (result.status == IoStatus::Done) {
                phase_ = Phase::Reading;
                break;
            }
            if (result.status == IoStatus::Failed)
                LogConnection(client_.text, "TLS handshake failed: " + transport_->FailureReason());
            return Wait(result.status, headDeadline_);
        }
        case Phase::Reading:
            next = ReadHead(now);
            break;
        case Phase::Writing:
            next = WriteReply(now);
            break;
        case Phase::Lingering:
            return Linger();
        }
        if (next) return *next;
    }
}

Connection::Next Connection::Wait(IoStatus status, Clock::time_point deadline) {
    if (status != IoStatus::WantRead && status != IoStatus::WantWrite) return Next::Close;
    waitsToWrite_ = status == IoStatus::WantWrite;
    deadline_ = deadline;
    return Next::Wait;
}

std::optional<Connection::Next> Connection::ReadHead(Clock::time_point now) {
    if (const size_t end = FindHeadEnd(input_, scanned_)) {
        if (TakeHead(end)) return Next::Answer;
        return std::nullopt;
    }
    if (input_.size() >= kMaxHeadBytes) {
        Refuse(OversizedHeadStatus(input_));
        return std::nullopt;
    }
    char buffer[kReadChunk];
    const IoResult result = transport_->Read(buffer, sizeof buffer);
    const bool idle = answeredOne_ && input_.empty();
    if (result.status != IoStatus::Done) return Wait(result.status, idle ? idleDeadline_ : headDeadline_);
    if (idle) headDeadline_ = now + limits_.headTimeout;
    input_.append(buffer, result.bytes);
    return std::nullopt;
}

bool Connection::TakeHead(size_t length) {
    HeadParse parsed = ParseRequestHead(std::string_view(input_).substr(0, length));
    input_.erase(0, length);
    scanned_ = 0;
    if (!parsed.head) {
        Refuse(parsed.status);
        return false;
    }
    request_ = std::move(*parsed.head);
    return true;
}

void Connection::Refuse(int status) {
    const std::string_view text = StatusText(status);
    LogRequest(client_.text, "-", "-", std::nullopt, status, text.size());
    output_ = FormatReply(status, text, false);
    written_ = 0;
    keepAlive_ = false;
    phase_ = Phase::Writing;
}

std::optional<Connection::Next> Connection::WriteReply(Clock::time_point now) {
    while (written_ < output_.size()) {
        const IoResult result = transport_->Write(output_.data() + written_, output_.size() - written_);
        if (result.status != IoStatus::Done) return Wait(result.status, now + limits_.sendTimeout);
        written_ += result.bytes;
    }
    std::string().swap(output_);
    written_ = 0;
    if (!keepAlive_) {
        unreadInput_ = !input_.empty();
        lingerDeadline_ = now + limits_.lingerTimeout;
        phase_ = Phase::Lingering;
    } else {
        answeredOne_ = true;
        headDeadline_ = now + limits_.headTimeout;
        idleDeadline_ = now + limits_.idleTimeout;
        phase_ = Phase::Reading;
    }
    return std::nullopt;
}

Connection::Next Connection::Linger() {
    char buffer[kReadChunk];
    for (int chunk = 0; chunk < kLingerChunksPerTurn; ++chunk) {
        const IoResult result = transport_->Read(buffer, sizeof buffer);
        if (result.status == IoStatus::Done) {
            unreadInput_ = true;
            continue;
        }
        // Nothing unread: the client has all it was sent, and closing now resets nothing.
        if (result.status != IoStatus::WantRead || !unreadInput_) return Next::Close;
        break;
    }
    // The client sees the end of the reply while what it still sends is read and dropped.
    if (!sendingFinished_) transport_->FinishSending();
    sendingFinished_ = true;
    return Wait(IoStatus::WantRead, lingerDeadline_);
}

} // namespace qv::server
