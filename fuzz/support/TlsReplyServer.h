#pragma once

#include "tests/support/LoopbackListener.h"
#include "tests/support/ScopedTempFolder.h"

#include <openssl/ssl.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace qv::fuzz {

// A TLS server on 127.0.0.1 for a whole fuzzing run, on a thread of its own, with a
// certificate for 127.0.0.1 that it makes itself and that SSL_CERT_FILE names while it lives.
// Each connection gets the answer set last, after the client's request head, in TLS records of
// at most `piece` bytes; then the server ends the connection, with close_notify or, when told
// to cut, with the TCP stream alone.
class TlsReplyServer {
public:
    TlsReplyServer();
    ~TlsReplyServer();
    TlsReplyServer(const TlsReplyServer&) = delete;
    TlsReplyServer& operator=(const TlsReplyServer&) = delete;

    uint16_t Port() const { return listener_.Port(); }
    void SetAnswer(std::string answer, size_t piece, bool cut);

private:
    void Serve();
    void Answer(int fd);

    test::ScopedTempFolder folder_;
    SSL_CTX* context_ = nullptr;
    test::LoopbackListener listener_;
    std::mutex mutex_;
    std::string answer_;
    size_t piece_ = 1;
    bool cut_ = false;
    std::thread thread_;
};

} // namespace qv::fuzz
