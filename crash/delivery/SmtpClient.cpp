#include "crash/delivery/SmtpClient.h"

#include "crash/delivery/MailMessage.h"
#include "crash/delivery/SmtpReplyReader.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::crash {

namespace {

using TClock = std::chrono::steady_clock;

std::string Base64(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size())).toBase64().toStdString();
}

// One connection to the server. Every byte read or written passes through ReadSome and WriteSome,
// and every wait through WaitUntil, each bounded by the delivery's deadline.
class TSmtpConnection {
public:
    TSmtpConnection(int replyWaitMs, TClock::time_point deadline)
        : replyWait_(std::chrono::milliseconds(replyWaitMs)), deadline_(deadline) {}
    ~TSmtpConnection() {
        if (fd_ >= 0) ::close(fd_);
    }
    TSmtpConnection(const TSmtpConnection&) = delete;
    TSmtpConnection& operator=(const TSmtpConnection&) = delete;

    bool Connect(const std::string& host, int port) {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
        for (const addrinfo* entry = found; entry != nullptr && fd_ < 0; entry = entry->ai_next) {
            fd_ = ::socket(entry->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            if (fd_ < 0) continue;
            if (!Connected(::connect(fd_, entry->ai_addr, entry->ai_addrlen))) {
                ::close(fd_);
                fd_ = -1;
            }
        }
        ::freeaddrinfo(found);
        return fd_ >= 0;
    }

    // A command line; one that holds CR or LF would smuggle further commands and is refused.
    bool Command(const std::string& command) {
        if (command.find_first_of("\r\n") != std::string::npos) return false;
        return SendRaw(command + "\r\n");
    }

    // Sends in pieces; each piece must leave within the reply wait.
    bool SendRaw(const std::string& bytes) {
        for (size_t at = 0; at < bytes.size();) {
            if (!WaitUntil(POLLOUT, Soon())) return false;
            const size_t piece = std::min(TSmtpClient::kSendPiece, bytes.size() - at);
            const ssize_t sent = WriteSome(bytes.data() + at, piece);
            if (sent < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (sent <= 0) return false;
            at += static_cast<size_t>(sent);
        }
        return true;
    }

    // Reads a whole reply, within the reply wait, and tells whether it carries the code.
    bool Expect(const char* code, TSmtpReplyReader::TReply* reply = nullptr) {
        const TClock::time_point until = Soon();
        for (;;) {
            if (auto whole = replies_.Next()) {
                const bool expected = whole->Code() == code;
                if (expected && reply != nullptr) *reply = std::move(*whole);
                return expected;
            }
            if (replies_.Overlong() || !WaitUntil(POLLIN, until)) return false;
            char buffer[4096];
            const ssize_t got = ReadSome(buffer, sizeof buffer);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (got <= 0) return false;
            replies_.Feed(buffer, static_cast<size_t>(got));
        }
    }

private:
    int fd_ = -1;
    TClock::duration replyWait_;
    TClock::time_point deadline_;
    TSmtpReplyReader replies_;

    ssize_t ReadSome(char* buffer, size_t size) { return ::recv(fd_, buffer, size, 0); }
    ssize_t WriteSome(const char* bytes, size_t size) { return ::send(fd_, bytes, size, MSG_NOSIGNAL); }

    // The end of a wait that starts now: the reply wait, or the delivery's deadline when sooner.
    TClock::time_point Soon() const { return std::min(TClock::now() + replyWait_, deadline_); }

    bool Connected(int result) {
        if (result == 0) return true;
        if (errno != EINPROGRESS || !WaitUntil(POLLOUT, Soon())) return false;
        int error = 0;
        socklen_t length = sizeof error;
        return ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }

    bool WaitUntil(short events, TClock::time_point until) const {
        pollfd entry{fd_, events, 0};
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - TClock::now()).count();
            if (left <= 0) return false;
            const int ready = ::poll(&entry, 1, static_cast<int>(std::min<int64_t>(left, INT_MAX)));
            if (ready < 0 && errno == EINTR) continue;
            return ready > 0;
        }
    }
};

// The session's steps after the greeting, up to the QUIT.
bool Deliver(TSmtpConnection& smtp, const TSmtpClient::TSession& session) {
    const std::string computer = TSmtpClient::ComputerName();
    TSmtpReplyReader::TReply extensions;
    const bool greeted = (smtp.Command("EHLO " + computer) && smtp.Expect("250", &extensions)) ||
                         (smtp.Command("HELO " + computer) && smtp.Expect("250"));
    if (!greeted) return false;
    if (!session.account.empty() || !session.password.empty()) {
        if (!extensions.OffersLogin()) return false;
        if (!(smtp.Command("AUTH LOGIN") && smtp.Expect("334") && smtp.Command(Base64(session.account)) &&
              smtp.Expect("334") && smtp.Command(Base64(session.password)) && smtp.Expect("235")))
            return false;
    }
    if (!(smtp.Command("MAIL FROM:" + TMailMessage::AngleAddress(session.sender)) && smtp.Expect("250")))
        return false;
    int accepted = 0;
    for (const std::string& recipient : session.recipients) {
        if (!smtp.Command("RCPT TO:" + TMailMessage::AngleAddress(recipient))) return false;
        if (smtp.Expect("250")) ++accepted;
    }
    if (accepted == 0) {
        if (smtp.Command("RSET")) smtp.Expect("250");
        return false;
    }
    return smtp.Command("DATA") && smtp.Expect("354") && smtp.SendRaw(session.data) &&
           smtp.SendRaw("\r\n.\r\n") && smtp.Expect("250");
}

} // namespace

std::string TSmtpClient::ComputerName() {
    char name[HOST_NAME_MAX + 1] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

bool TSmtpClient::Send(const TSession& session) const {
    TSmtpConnection smtp(replyWaitMs_, deadline_);
    if (!smtp.Connect(session.host, session.port)) return false;
    const bool delivered = smtp.Expect("220") && Deliver(smtp, session);
    const bool ended = smtp.Command("QUIT") && smtp.Expect("221");
    return delivered && ended;
}

} // namespace qv::crash
