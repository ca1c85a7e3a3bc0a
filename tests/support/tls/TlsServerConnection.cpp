#include "tests/support/tls/TlsServerConnection.h"

#include <algorithm>
#include <csignal>
#include <memory>
#include <stdexcept>
#include <utility>

namespace qv::test {

TlsServerContext::TlsServerContext(const CertificateFiles& certificate)
    : context_(SSL_CTX_new(TLS_server_method())) {
    if (!context_ || SSL_CTX_use_certificate_chain_file(context_, certificate.cert.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context_, certificate.key.c_str(), SSL_FILETYPE_PEM) != 1)
        throw std::runtime_error("TLS server cannot load " + certificate.cert);
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
}

TlsServerContext::~TlsServerContext() {
    SSL_CTX_free(context_);
}

TlsServerConnection::TlsServerConnection(const TlsServerContext& context, int fd)
    : ssl_(SSL_new(context.Get())) {
    // OpenSSL writes with write(): a client that is gone must end a write with EPIPE, not the test
    // program with SIGPIPE. The signal stays held back on the server's thread.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    SSL_set_fd(ssl_, fd);
    accepted_ = SSL_accept(ssl_) == 1;
}

TlsServerConnection::~TlsServerConnection() {
    SSL_free(ssl_);
}

int TlsServerConnection::Read(char* buffer, size_t size) {
    if (!accepted_) return 0;
    return SSL_read(ssl_, buffer, static_cast<int>(std::min<size_t>(size, 1 << 30)));
}

std::string TlsServerConnection::ReadUntil(const std::string& terminator) {
    for (;;) {
        const size_t end = pending_.find(terminator);
        if (end != std::string::npos) {
            std::string head = pending_.substr(0, end + terminator.size());
            pending_.erase(0, end + terminator.size());
            return head;
        }
        char buffer[4096];
        const int got = Read(buffer, sizeof buffer);
        if (got <= 0) return std::exchange(pending_, std::string());
        pending_.append(buffer, static_cast<size_t>(got));
    }
}

bool TlsServerConnection::Send(const char* bytes, size_t size) {
    while (accepted_ && size > 0) {
        const int sent = SSL_write(ssl_, bytes, static_cast<int>(std::min<size_t>(size, 1 << 30)));
        if (sent <= 0) return false;
        bytes += sent;
        size -= static_cast<size_t>(sent);
    }
    return accepted_;
}

void TlsServerConnection::SendInRecords(const std::string& bytes, size_t piece) {
    for (size_t at = 0; at < bytes.size(); at += piece)
        if (!Send(bytes.data() + at, std::min(piece, bytes.size() - at))) return;
}

void TlsServerConnection::EndTls() {
    if (accepted_) SSL_shutdown(ssl_);
}

ScriptedServer::Script TlsScript(const CertificateFiles& certificate, TlsServe serve,
                                 std::function<void(bool)> accepted) {
    auto context = std::make_shared<TlsServerContext>(certificate);
    return [context, serve = std::move(serve), accepted = std::move(accepted)](ScriptedPeer& peer, int) {
        TlsServerConnection tls(*context, peer.Fd());
        if (accepted) accepted(tls.Accepted());
        if (tls.Accepted()) serve(tls, peer);
    };
}

ScriptedServer::Script TlsReply(const CertificateFiles& certificate, std::string reply) {
    return TlsScript(certificate, [reply = std::move(reply)](TlsServerConnection& tls, ScriptedPeer& peer) {
        tls.ReadHead();
        tls.Send(reply);
        tls.EndTls();
        peer.Close();
    });
}

} // namespace qv::test
