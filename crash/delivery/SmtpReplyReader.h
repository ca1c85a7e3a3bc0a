#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qv::crash {

// Gathers an SMTP server's replies from its bytes as they arrive (RFC 5321, 4.2): each line ends
// at LF (a CR before it dropped), and a reply runs over every line whose fourth character is "-"
// up to the first line where it is not.
class TSmtpReplyReader {
public:
    // A reply larger than this, its lines and their ends together, is no SMTP server's; the reader refuses it
    // rather than wait on a server that keeps sending continuation lines.
    static constexpr size_t kMaxReply = 65536;

    explicit TSmtpReplyReader(size_t maxReply = kMaxReply) : maxReply_(maxReply) {}

    struct TReply {
        std::vector<std::string> lines;

        // The first three characters of the last line: the code the reply stands for.
        std::string Code() const;
        // Whether an EHLO reply offers login authentication: a line whose text after the code
        // begins with "AUTH" and names LOGIN among its mechanisms ("=" read as a blank, for the
        // old "AUTH=LOGIN").
        bool OffersLogin() const;
        // Whether an EHLO reply offers STARTTLS: a line whose text after the code is that word.
        bool OffersStartTls() const;
    };

    void Feed(const char* bytes, size_t size);
    // The next whole reply the bytes hold; nothing while it is incomplete or after it grew too large.
    std::optional<TReply> Next();
    // Whether the reply being gathered grew beyond the limit: no more replies come from this server.
    bool Overlong() const { return overlong_; }

private:
    size_t maxReply_;
    // Bytes after the last whole line, and how far they were searched for its end.
    std::string received_;
    size_t searched_ = 0;
    // The lines of the reply not yet whole, and their size as received.
    TReply gathered_;
    size_t gatheredSize_ = 0;
    bool overlong_ = false;
};

} // namespace qv::crash
