#include "fuzz/support/TlsReplyServer.h"

#include <openssl/x509v3.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <netinet/tcp.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::fuzz {

namespace {

constexpr long kValidSeconds = 24L * 60 * 60;
// The longest request head read before the answer goes out anyway.
constexpr size_t kMaxHead = 65536;

// A self-signed certificate for 127.0.0.1 with its key, loaded into `context`; its PEM text
// is written to `trustFile` for the client to trust.
void MakeCertificate(SSL_CTX* context, const std::string& trustFile) {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert), kValidSeconds);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"),
                               -1, -1, 0);
    X509_set_issuer_name(cert, name);
    X509_EXTENSION* altName = X509V3_EXT_conf_nid(nullptr, nullptr, NID_subject_alt_name, "IP:127.0.0.1");
    X509_add_ext(cert, altName, -1);
    X509_EXTENSION_free(altName);
    X509_sign(cert, key, EVP_sha256());
    FILE* file = std::fopen(trustFile.c_str(), "w");
    const bool made = file && PEM_write_X509(file, cert) == 1 &&
                      SSL_CTX_use_certificate(context, cert) == 1 &&
                      SSL_CTX_use_PrivateKey(context, key) == 1;
    if (file) std::fclose(file);
    X509_free(cert);
    EVP_PKEY_free(key);
    if (!made) throw std::runtime_error("the fuzzing TLS server cannot make its certificate");
}

} // namespace

TlsReplyServer::TlsReplyServer() : folder_("qv-fuzz"), context_(SSL_CTX_new(TLS_server_method())) {
    const std::string trustFile = folder_ / "server.pem";
    MakeCertificate(context_, trustFile);
    ::setenv("SSL_CERT_FILE", trustFile.c_str(), 1);
    thread_ = std::thread([this] { Serve(); });
}

TlsReplyServer::~TlsReplyServer() {
    listener_.Shutdown();
    thread_.join();
    ::unsetenv("SSL_CERT_FILE");
    SSL_CTX_free(context_);
}

void TlsReplyServer::SetAnswer(std::string answer, size_t piece, bool cut) {
    std::lock_guard lock(mutex_);
    answer_ = std::move(answer);
    piece_ = std::max<size_t>(piece, 1);
    cut_ = cut;
}

void TlsReplyServer::Serve() {
    // OpenSSL writes with write(): a client that is gone must end a write with EPIPE, not the
    // fuzzer with SIGPIPE. The signal stays held back on this thread.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    for (;;) {
        const int fd = listener_.Accept();
        if (fd < 0) return;
        // As web servers do: the session tickets would otherwise hold the answer back until
        // the client's delayed ACK.
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        Answer(fd);
        ::close(fd);
    }
}

void TlsReplyServer::Answer(int fd) {
    std::string answer;
    size_t piece;
    bool cut;
    {
        std::lock_guard lock(mutex_);
        answer = answer_;
        piece = piece_;
        cut = cut_;
    }
    SSL* ssl = SSL_new(context_);
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) == 1) {
        std::string head;
        char buffer[4096];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxHead) {
            const int got = SSL_read(ssl, buffer, sizeof buffer);
            if (got <= 0) break;
            head.append(buffer, static_cast<size_t>(got));
        }
        for (size_t at = 0; at < answer.size(); at += piece)
            if (SSL_write(ssl, answer.data() + at, static_cast<int>(std::min(piece, answer.size() - at))) <=
                0)
                break;
        if (!cut) SSL_shutdown(ssl);
    }
    SSL_free(ssl);
    ::shutdown(fd, SHUT_WR);
    // The client's own close, so that closing here sends no reset over what it has not read.
    char rest[4096];
    while (::recv(fd, rest, sizeof rest, 0) > 0) {}
}

} // namespace qv::fuzz
