#include "crash/delivery/SmtpClient.h"

#include "crash/delivery/EhloReply.h"
#include "crash/delivery/MailMessage.h"
#include "platform/tls/TlsSession.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <memory>
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

// One connection to the server. Every byte read or written passes through ReadSome and WriteAll,
// in the clear or through TLS once it is started, and every wait is bounded by the delivery's
// deadline. A connection whose TLS failed carries nothing more.
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
        for (size_t at = 0; at < bytes.size(); at += TSmtpClient::kSendPiece)
            if (!WriteAll(bytes.data() + at, std::min(TSmtpClient::kSendPiece, bytes.size() - at), Soon()))
                return false;
        return true;
    }

    // Runs the TLS handshake after the server's go-ahead; on failure `failure` says why.
    bool StartTls(const std::string& host, platform::TTlsSession::TCheck check, std::string& failure) {
        // Bytes that came in the clear behind the go-ahead are anyone's on the path: the replies
        // from here on come through TLS alone.
        replies_ = http::TIdReplyReader();
        try {
            tls_ = std::make_unique<platform::TTlsSession>(fd_, host, check);
            tls_->Handshake(Soon());
            return true;
        } catch (const platform::TTlsError& e) {
            failure = e.what();
            broken_ = true;
            return false;
        }
    }

    // Reads a whole reply, within the reply wait, and tells whether it carries the code.
    bool Expect(const char* code, http::TIdReplyReader::TReply* reply = nullptr) {
        const TClock::time_point until = Soon();
        for (;;) {
            if (auto whole = replies_.Next()) {
                const bool expected = whole->Code() == code;
                if (expected && reply != nullptr) *reply = std::move(*whole);
                return expected;
            }
            if (replies_.Overlong()) return false;
            char buffer[4096];
            const ssize_t got = ReadSome(buffer, sizeof buffer, until);
            if (got <= 0) return false;
            replies_.Feed(buffer, static_cast<size_t>(got));
        }
    }

private:
    int fd_ = -1;
    TClock::duration replyWait_;
    TClock::time_point deadline_;
    http::TIdReplyReader replies_;
    std::unique_ptr<platform::TTlsSession> tls_;
    bool broken_ = false;

    // Up to `size` bytes from the server, waited for until `until`; 0 or below when none came.
    ssize_t ReadSome(char* buffer, size_t size, TClock::time_point until) {
        if (broken_) return -1;
        if (tls_) return Secured([&] { return static_cast<ssize_t>(tls_->Receive(buffer, size, until)); });
        for (;;) {
            if (!WaitUntil(POLLIN, until)) return -1;
            const ssize_t got = ::recv(fd_, buffer, size, 0);
            if (got >= 0 || (errno != EINTR && errno != EAGAIN)) return got;
        }
    }

    // All `size` bytes to the server by `until`.
    bool WriteAll(const char* bytes, size_t size, TClock::time_point until) {
        if (broken_) return false;
        if (tls_)
            return Secured([&] {
                       tls_->Send(bytes, size, until);
                       return ssize_t{1};
                   }) > 0;
        for (size_t at = 0; at < size;) {
            if (!WaitUntil(POLLOUT, until)) return false;
            const ssize_t sent = ::send(fd_, bytes + at, size - at, MSG_NOSIGNAL);
            if (sent < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (sent <= 0) return false;
            at += static_cast<size_t>(sent);
        }
        return true;
    }

    // A read or write through TLS; a failure ends what the connection carries.
    template <class Operation>
    ssize_t Secured(Operation operation) {
        try {
            return operation();
        } catch (const platform::TTlsError&) {
            broken_ = true;
            return -1;
        }
    }

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

// EHLO, or HELO when the server refuses it; the EHLO reply lists what the server offers.
bool Greet(TSmtpConnection& smtp, http::TIdReplyReader::TReply& extensions) {
    const std::string computer = TSmtpClient::ComputerName();
    extensions = {};
    return (smtp.Command("EHLO " + computer) && smtp.Expect("250", &extensions)) ||
           (smtp.Command("HELO " + computer) && smtp.Expect("250"));
}

// STARTTLS as the session needs it: required, with the certificate checked, when an account is to
// be sent; otherwise taken when offered. After TLS the server is greeted anew (RFC 3207, 4.2).
bool Secure(TSmtpConnection& smtp, const TSmtpClient::TSession& session, bool account,
            http::TIdReplyReader::TReply& extensions, std::string& refusal) {
    const bool offered = OffersStartTls(extensions);
    if (offered && smtp.Command("STARTTLS") && smtp.Expect("220")) {
        using TCheck = platform::TTlsSession::TCheck;
        return smtp.StartTls(session.host, account ? TCheck::Peer : TCheck::None, refusal) &&
               Greet(smtp, extensions);
    }
    if (!account) return true;
    refusal = "The mail server " + session.host + (offered ? " refused" : " does not offer") +
              " STARTTLS: the account is never sent over a plain connection.";
    return false;
}

// The session's steps after the greeting, up to the QUIT.
bool Deliver(TSmtpConnection& smtp, const TSmtpClient::TSession& session, std::string& refusal) {
    http::TIdReplyReader::TReply extensions;
    const bool account = !session.account.empty() || !session.password.empty();
    if (!Greet(smtp, extensions) || !Secure(smtp, session, account, extensions, refusal)) return false;
    if (account) {
        if (!OffersLogin(extensions)) return false;
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

bool TSmtpClient::Send(const TSession& session, std::string* refusal) const {
    TSmtpConnection smtp(replyWaitMs_, deadline_);
    if (!smtp.Connect(session.host, session.port)) return false;
    std::string why;
    const bool delivered = smtp.Expect("220") && Deliver(smtp, session, why);
    const bool ended = smtp.Command("QUIT") && smtp.Expect("221");
    if (refusal) *refusal = why;
    return delivered && ended;
}

} // namespace qv::crash
