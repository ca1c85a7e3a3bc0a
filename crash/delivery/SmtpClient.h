#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace qv::crash {

// SMTP sessions that hand a composed mail to a server: greeting, EHLO (or HELO), STARTTLS,
// AUTH LOGIN when an account is given, MAIL FROM, RCPT TO for each recipient, DATA, and QUIT in
// every case after the connection stands. An account goes only over TLS, with the server's
// certificate checked against the system's trust store and its name; without an account the
// session takes TLS when the server offers it, without trusting the certificate (as mail
// servers do among themselves), and goes on in the clear when it does not. Each whole reply is awaited for at
// most the reply wait, and every session of one client ends by the delivery deadline, which starts when the
// client is made: a server that drips its replies cannot hold the program. A command holding CR or LF is
// never sent.
class TSmtpClient {
public:
    static constexpr int kReplyWaitMs = 7000;
    static constexpr int kDeliveryWaitMs = 60000;
    // Commands and the mail leave in pieces of at most this size.
    static constexpr size_t kSendPiece = 1024;

    struct TSession {
        std::string host;
        int port = 25;
        std::string account;
        std::string password;
        // The sender and recipients as addresses, with or without angle brackets.
        std::string sender;
        std::vector<std::string> recipients;
        // The mail's text after DATA, made transparent, without the closing ".".
        std::string data;
    };

    explicit TSmtpClient(int replyWaitMs = kReplyWaitMs, int deliveryWaitMs = kDeliveryWaitMs)
        : replyWaitMs_(replyWaitMs),
          deadline_(std::chrono::steady_clock::now() + std::chrono::milliseconds(deliveryWaitMs)) {}

    // True when the server took the mail and answered the QUIT. A session that does not go on
    // because the account could not be sent safely (no STARTTLS, a certificate that does not
    // hold) says why in `refusal`.
    bool Send(const TSession& session, std::string* refusal = nullptr) const;
    // When every session of this client has ended: what else the delivery waits for (the look-up
    // of mail exchangers) ends then too.
    std::chrono::steady_clock::time_point Deadline() const { return deadline_; }

    // This computer's name, as EHLO and HELO give it.
    static std::string ComputerName();

private:
    int replyWaitMs_;
    std::chrono::steady_clock::time_point deadline_;
};

} // namespace qv::crash
