#include "platform/tls/TlsSession.h"

#include "platform/tls/TlsContext.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>

namespace qv::platform {

namespace {

// Enough of the first bytes from the peer to tell a plain HTTP reply ("HTTP/") from a TLS record.
constexpr size_t kFirstBytesKept = 5;

bool IsAddress(const std::string& host) {
    in6_addr address{};
    return ::inet_pton(AF_INET, host.c_str(), &address) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

// The host as reached through the socket: the same name on another port is another server.
std::string PeerOf(int fd, const std::string& host) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return host;
    char text[INET6_ADDRSTRLEN] = {};
    int port = 0;
    if (address.ss_family == AF_INET) {
        const auto& in4 = reinterpret_cast<const sockaddr_in&>(address);
        ::inet_ntop(AF_INET, &in4.sin_addr, text, sizeof text);
        port = ntohs(in4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
        ::inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text);
        port = ntohs(in6.sin6_port);
    }
    return host + " at " + text + " port " + std::to_string(port);
}

// The last reason OpenSSL queued for the failed call, as its text.
std::string QueuedReason() {
    unsigned long last = 0;
    while (const unsigned long error = ERR_get_error())
        last = error;
    if (last == 0) return "unknown error";
    const char* reason = ERR_reason_error_string(last);
    return reason ? reason : "error " + std::to_string(ERR_GET_REASON(last));
}

// What the socket reported below the TLS records.
struct TSocketLink {
    int fd;
    bool peerEnded = false;
    int systemError = 0;
    std::string firstBytes;
};

} // namespace

TTlsDeadline TlsDeadlineIn(int milliseconds) {
    if (milliseconds <= 0) return std::nullopt;
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

struct TTlsSession::TState {
    TSocketLink link;
    std::string host;
    TCheck check = TCheck::Peer;
    SSL* ssl = nullptr;
    // The handshake succeeded and nothing failed since: the session may be resumed later.
    bool sound = false;

    ~TState() {
        // The socket may be closed already, so no close_notify is sent; without this mark OpenSSL
        // would take the ending for a failure and never resume the session.
        if (sound) SSL_set_shutdown(ssl, SSL_get_shutdown(ssl) | SSL_SENT_SHUTDOWN);
        SSL_free(ssl);
    }

    // Waits for the socket to become ready for `events`; false at the deadline.
    bool Wait(short events, const TTlsDeadline& deadline) const {
        for (;;) {
            int wait = -1;
            if (deadline) {
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                    *deadline - std::chrono::steady_clock::now());
                wait = static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT_MAX));
            }
            pollfd entry{link.fd, events, 0};
            const int ready = ::poll(&entry, 1, wait);
            if (ready < 0 && errno == EINTR) continue;
            // An error or hang-up is left to the next read or write to report.
            return ready != 0;
        }
    }

    // Runs `operation` until it succeeds, waiting as OpenSSL asks. The answer is the call's
    // positive result, or the SSL_get_error code of a failure other than a wait; at the
    // deadline, 0 with `timedOut` set.
    template <class Operation>
    int Drive(Operation operation, const TTlsDeadline& deadline, bool& timedOut) {
        timedOut = false;
        for (;;) {
            ERR_clear_error();
            const int result = operation();
            if (result > 0) return result;
            const int error = SSL_get_error(ssl, result);
            if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) return -error;
            if (!Wait(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline)) {
                timedOut = true;
                return 0;
            }
        }
    }

    [[noreturn]] void FailHandshake(int error) {
        const std::string prefix = "TLS handshake with " + host + " failed: ";
        const long verified = SSL_get_verify_result(ssl);
        if (check == TCheck::Peer && verified != X509_V_OK)
            throw TTlsError(prefix + "its certificate was refused (" +
                            X509_verify_cert_error_string(verified) + ")");
        if (link.firstBytes.rfind("HTTP/", 0) == 0)
            throw TTlsError(prefix + "the server answered in plain HTTP, not TLS");
        if (link.systemError != 0)
            throw TTlsError(prefix + std::strerror(link.systemError), link.systemError);
        if (link.peerEnded) throw TTlsError(prefix + "the server closed the connection");
        throw TTlsError(prefix + (error == SSL_ERROR_SSL ? QueuedReason() : "unknown error"));
    }

    // A failure of a read or write after the handshake.
    [[noreturn]] void FailStream(int error) {
        sound = false;
        if (link.systemError != 0)
            throw TTlsError("TLS connection with " + host + " failed: " + std::strerror(link.systemError),
                            link.systemError);
        if (link.peerEnded)
            throw TTlsStreamCut("TLS connection with " + host +
                                " cut off: the server closed it without ending TLS");
        throw TTlsError("TLS connection with " + host +
                        " failed: " + (error == SSL_ERROR_SSL ? QueuedReason() : "unknown error"));
    }

    [[noreturn]] void TimedOut(const char* what) {
        sound = false;
        throw TTlsTimeout(std::string(what) + " " + host + " timed out");
    }
};

namespace {

TSocketLink& LinkOf(BIO* bio) {
    return *static_cast<TSocketLink*>(BIO_get_data(bio));
}

int SocketWrite(BIO* bio, const char* data, int length) {
    TSocketLink& state = LinkOf(bio);
    BIO_clear_retry_flags(bio);
    ssize_t sent;
    do
        sent = ::send(state.fd, data, static_cast<size_t>(length), MSG_DONTWAIT | MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    if (sent < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            BIO_set_retry_write(bio);
        else
            state.systemError = errno;
    }
    return static_cast<int>(sent);
}

int SocketRead(BIO* bio, char* data, int length) {
    TSocketLink& state = LinkOf(bio);
    BIO_clear_retry_flags(bio);
    ssize_t got;
    do
        got = ::recv(state.fd, data, static_cast<size_t>(length), MSG_DONTWAIT);
    while (got < 0 && errno == EINTR);
    if (got < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            BIO_set_retry_read(bio);
        else
            state.systemError = errno;
    } else if (got == 0) {
        state.peerEnded = true;
    } else if (state.firstBytes.size() < kFirstBytesKept) {
        state.firstBytes.append(
            data, std::min(static_cast<size_t>(got), kFirstBytesKept - state.firstBytes.size()));
    }
    return static_cast<int>(got);
}

long SocketControl(BIO* bio, int command, long, void*) {
    if (command == BIO_CTRL_FLUSH) return 1;
    // Lets OpenSSL tell a stream that ended without close_notify from a failed read.
    if (command == BIO_CTRL_EOF) return LinkOf(bio).peerEnded ? 1 : 0;
    return 0;
}

// The socket as OpenSSL's transport: send() and recv() without blocking and without SIGPIPE,
// whatever mode the caller keeps the socket in.
BIO_METHOD* SocketMethod() {
    static BIO_METHOD* method = [] {
        BIO_METHOD* made = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "quorvane socket");
        BIO_meth_set_write(made, SocketWrite);
        BIO_meth_set_read(made, SocketRead);
        BIO_meth_set_ctrl(made, SocketControl);
        return made;
    }();
    return method;
}

} // namespace

TTlsSession::TTlsSession(int fd, std::string host, TCheck check) : state_(std::make_unique<TState>()) {
    state_->link.fd = fd;
    state_->host = std::move(host);
    state_->check = check;
    const std::shared_ptr<SSL_CTX> context = TlsClientContext();
    SSL* ssl = context ? SSL_new(context.get()) : nullptr;
    BIO* bio = ssl ? BIO_new(SocketMethod()) : nullptr;
    if (!bio) {
        SSL_free(ssl);
        throw TTlsError("TLS with " + state_->host + " cannot start: " + QueuedReason());
    }
    state_->ssl = ssl;
    BIO_set_data(bio, &state_->link);
    BIO_set_init(bio, 1);
    SSL_set_bio(ssl, bio, bio);
    const std::string& name = state_->host;
    const bool address = IsAddress(name);
    // Server Name Indication carries names only, never addresses.
    if (!address)
        SSL_ctrl(ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                 const_cast<char*>(name.c_str()));
    if (check == TCheck::Peer) {
        SSL_set_verify(ssl, SSL_VERIFY_PEER, nullptr);
        X509_VERIFY_PARAM* parameters = SSL_get0_param(ssl);
        const int named = address ? X509_VERIFY_PARAM_set1_ip_asc(parameters, name.c_str())
                                  : X509_VERIFY_PARAM_set1_host(parameters, name.c_str(), name.size());
        if (named != 1) throw TTlsError("TLS with " + name + " cannot start: the name cannot be checked");
        X509_VERIFY_PARAM_set_hostflags(parameters, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    } else {
        SSL_set_verify(ssl, SSL_VERIFY_NONE, nullptr);
    }
    TlsResumeSession(ssl, PeerOf(fd, name), check == TCheck::Peer);
}

TTlsSession::~TTlsSession() = default;

void TTlsSession::Handshake(TTlsDeadline deadline) {
    bool timedOut = false;
    const int result = state_->Drive([this] { return SSL_connect(state_->ssl); }, deadline, timedOut);
    if (timedOut) state_->TimedOut("TLS handshake with");
    if (result <= 0) state_->FailHandshake(-result);
    state_->sound = true;
}

bool TTlsSession::WaitReadable(TTlsDeadline deadline) {
    if (SSL_pending(state_->ssl) > 0) return true;
    bool timedOut = false;
    char byte;
    const int result = state_->Drive([&] { return SSL_peek(state_->ssl, &byte, 1); }, deadline, timedOut);
    if (timedOut) return false;
    if (result > 0 || -result == SSL_ERROR_ZERO_RETURN) return true;
    state_->FailStream(-result);
}

size_t TTlsSession::Receive(void* buffer, size_t size, TTlsDeadline deadline) {
    if (size == 0) return 0;
    const int length = static_cast<int>(std::min<size_t>(size, INT_MAX));
    bool timedOut = false;
    const int result =
        state_->Drive([&] { return SSL_read(state_->ssl, buffer, length); }, deadline, timedOut);
    if (timedOut) state_->TimedOut("TLS connection with");
    if (-result == SSL_ERROR_ZERO_RETURN) return 0;
    if (result <= 0) state_->FailStream(-result);
    // One call takes every record that has come, not one record per call; whatever ends the
    // stream is left for the next call to report.
    size_t taken = static_cast<size_t>(result);
    char* at = static_cast<char*>(buffer);
    while (taken < size) {
        ERR_clear_error();
        const int more =
            SSL_read(state_->ssl, at + taken, static_cast<int>(std::min<size_t>(size - taken, INT_MAX)));
        if (more <= 0) break;
        taken += static_cast<size_t>(more);
    }
    ERR_clear_error();
    return taken;
}

void TTlsSession::Send(const void* bytes, size_t count, TTlsDeadline deadline) {
    const char* at = static_cast<const char*>(bytes);
    while (count > 0) {
        const int length = static_cast<int>(std::min<size_t>(count, INT_MAX));
        bool timedOut = false;
        const int result =
            state_->Drive([&] { return SSL_write(state_->ssl, at, length); }, deadline, timedOut);
        if (timedOut) state_->TimedOut("TLS connection with");
        if (result <= 0) state_->FailStream(-result);
        at += result;
        count -= static_cast<size_t>(result);
    }
}

} // namespace qv::platform
