#include "server/frontend/TlsTransport.h"

#include <cerrno>
#include <cstring>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <stdexcept>
#include <sys/socket.h>

namespace qv::server {

namespace {

// The reason of the oldest error OpenSSL queued on this thread; the queue is emptied.
std::string TakeOpenSslReason() {
    const unsigned long error = ERR_get_error();
    ERR_clear_error();
    if (error == 0) return "unknown reason";
    if (ERR_SYSTEM_ERROR(error)) return std::strerror(ERR_GET_REASON(error));
    const char* reason = ERR_reason_error_string(error);
    return reason ? reason : "error " + std::to_string(error);
}

// The key must be usable without a person at hand: an encrypted one is refused, not prompted for.
int NoPassphrase(char*, int, int, void* asked) {
    *static_cast<bool*>(asked) = true;
    return -1;
}

// Why the key file cannot be used, in words that tell what to do.
std::string KeyFailure(bool askedForPassphrase) {
    const unsigned long error = ERR_peek_error();
    if (askedForPassphrase) {
        ERR_clear_error();
        return "it is protected by a passphrase; give the key without one";
    }
    if (ERR_GET_LIB(error) == ERR_LIB_OSSL_DECODER) {
        ERR_clear_error();
        return "it holds no private key in PEM form";
    }
    return TakeOpenSslReason();
}

// HTTP/1.1 is the only protocol the service speaks; a client that offers others goes on
// without a choice.
int ChooseHttp11(SSL*, const unsigned char** chosen, unsigned char* chosenLength,
                 const unsigned char* offered, unsigned int offeredLength, void*) {
    static const unsigned char kHttp11[] = {8, 'h', 't', 't', 'p', '/', '1', '.', '1'};
    unsigned char* selected = nullptr;
    if (SSL_select_next_proto(&selected, chosenLength, kHttp11, sizeof kHttp11, offered, offeredLength) !=
        OPENSSL_NPN_NEGOTIATED)
        return SSL_TLSEXT_ERR_NOACK;
    *chosen = selected;
    return SSL_TLSEXT_ERR_OK;
}

} // namespace

TlsContext::TlsContext(const std::string& certificateFile, const std::string& keyFile)
    : context_(SSL_CTX_new(TLS_server_method())) {
    if (!context_) throw std::runtime_error("cannot set up TLS: " + TakeOpenSslReason());
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    // A client that closes without the TLS farewell has still ended the stream in order.
    SSL_CTX_set_options(context_, SSL_OP_NO_RENEGOTIATION | SSL_OP_CIPHER_SERVER_PREFERENCE |
                                      SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_mode(context_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER |
                                   SSL_MODE_RELEASE_BUFFERS);
    bool askedForPassphrase = false;
    SSL_CTX_set_default_passwd_cb(context_, NoPassphrase);
    SSL_CTX_set_default_passwd_cb_userdata(context_, &askedForPassphrase);
    SSL_CTX_set_alpn_select_cb(context_, ChooseHttp11, nullptr);
    std::string error;
    if (SSL_CTX_use_certificate_chain_file(context_, certificateFile.c_str()) != 1)
        error = "cannot use the TLS certificate " + certificateFile + ": " + TakeOpenSslReason();
    else if (SSL_CTX_use_PrivateKey_file(context_, keyFile.c_str(), SSL_FILETYPE_PEM) != 1)
        error = "cannot use the TLS key " + keyFile + ": " + KeyFailure(askedForPassphrase);
    else if (SSL_CTX_check_private_key(context_) != 1)
        error = "the TLS key " + keyFile + " does not belong to the certificate " + certificateFile;
    SSL_CTX_set_default_passwd_cb_userdata(context_, nullptr);
    if (!error.empty()) {
        SSL_CTX_free(context_);
        throw std::runtime_error(error);
    }
}

TlsContext::~TlsContext() {
    SSL_CTX_free(context_);
}

std::unique_ptr<Transport> TlsContext::Accept(int fd) const {
    SSL* session = SSL_new(context_);
    if (!session || SSL_set_fd(session, fd) != 1) {
        SSL_free(session);
        ERR_clear_error();
        return nullptr;
    }
    SSL_set_accept_state(session);
    return std::make_unique<TlsTransport>(fd, session);
}

TlsTransport::TlsTransport(int fd, ssl_st* session) : Transport(fd), session_(session) {}

TlsTransport::~TlsTransport() {
    SendFarewell();
    SSL_free(session_);
}

void TlsTransport::SendFarewell() {
    // It goes out when the handshake is done and the session intact; a socket too full to take
    // it loses nothing the client needs.
    if (farewellSent_ || broken_ || !SSL_is_init_finished(session_)) return;
    farewellSent_ = true;
    ERR_clear_error();
    SSL_shutdown(session_);
    ERR_clear_error();
}

IoResult TlsTransport::Outcome(int result) {
    const int saved = errno;
    switch (SSL_get_error(session_, result)) {
    case SSL_ERROR_WANT_READ:
        return {IoStatus::WantRead, 0};
    case SSL_ERROR_WANT_WRITE:
        return {IoStatus::WantWrite, 0};
    case SSL_ERROR_ZERO_RETURN:
        return {IoStatus::Closed, 0};
    case SSL_ERROR_SYSCALL:
        broken_ = true;
        failure_ = ERR_peek_error() ? TakeOpenSslReason() : saved ? std::strerror(saved) : "connection cut";
        return {IoStatus::Failed, 0};
    default:
        broken_ = true;
        failure_ = TakeOpenSslReason();
        return {IoStatus::Failed, 0};
    }
}

IoResult TlsTransport::Handshake() {
    ERR_clear_error();
    const int result = SSL_do_handshake(session_);
    return result == 1 ? IoResult{IoStatus::Done, 0} : Outcome(result);
}

IoResult TlsTransport::Read(char* data, size_t size) {
    ERR_clear_error();
    size_t read = 0;
    return SSL_read_ex(session_, data, size, &read) == 1 ? IoResult{IoStatus::Done, read} : Outcome(0);
}

IoResult TlsTransport::Write(const char* data, size_t size) {
    ERR_clear_error();
    size_t written = 0;
    return SSL_write_ex(session_, data, size, &written) == 1 ? IoResult{IoStatus::Done, written} : Outcome(0);
}

void TlsTransport::FinishSending() {
    SendFarewell();
    ::shutdown(Fd(), SHUT_WR);
}

} // namespace qv::server
