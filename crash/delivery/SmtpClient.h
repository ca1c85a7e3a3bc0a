#pragma once

#include <string>
#include <vector>

namespace qv::crash {

// One SMTP session that hands a composed mail to a server: greeting, EHLO (or HELO), AUTH LOGIN
// when an account is given, MAIL FROM, RCPT TO for each recipient, DATA, and QUIT in every case
// after the connection stands. Each reply is awaited for at most the reply wait.
class TSmtpClient {
public:
    static constexpr int kReplyWaitMs = 7000;
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

    explicit TSmtpClient(int replyWaitMs = kReplyWaitMs) : replyWaitMs_(replyWaitMs) {}

    // True when the server took the mail and answered the QUIT.
    bool Send(const TSession& session) const;

    // This computer's name, as EHLO and HELO give it.
    static std::string ComputerName();

private:
    int replyWaitMs_;
};

} // namespace qv::crash
