#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qv::http {

// Gathers the numbered replies of line protocols (SMTP, FTP, POP3; RFC 5321, 4.2) from lines or
// from bytes as they arrive. A reply whose first line has "-" as fourth character runs on up to a
// line shorter than 4 characters or one that begins with the first line's three characters
// (compared without regard to case) followed by a blank; any other first line is a reply alone.
class TIdReplyReader {
public:
    // A reply larger than this, its lines and their ends together, is no server's; the reader
    // refuses it rather than wait on a server that keeps sending continuation lines.
    static constexpr size_t kMaxReply = 65536;

    explicit TIdReplyReader(size_t maxReply = kMaxReply) : maxReply_(maxReply) {}

    struct TReply {
        std::vector<std::string> lines;

        // The first three characters of the last line: the code the reply stands for.
        std::string Code() const;
        // The reply's number: 1 when the last line begins with "+OK", 0 with "-ERR", else its
        // code read as a decimal number (0 when it is none).
        int Number() const;
    };

    // Bytes as they arrive: each line ends at LF, a CR before it dropped.
    void Feed(const char* bytes, size_t size);
    // The next whole reply the bytes hold; nothing while it is incomplete or after it grew too large.
    std::optional<TReply> Next();
    // A line already cut from its end (which the limit does not count); the reply it completes, if
    // any.
    std::optional<TReply> AddLine(std::string line);
    // Whether the reply being gathered grew beyond the limit: no more replies come from this peer.
    bool Overlong() const { return overlong_; }

private:
    // Adds a line of `size` bytes as received to the reply being gathered; the reply it completes.
    std::optional<TReply> Gather(std::string line, size_t size);

    size_t maxReply_;
    // Bytes after the last whole line, and how far they were searched for its end.
    std::string received_;
    size_t searched_ = 0;
    // The lines of the reply not yet whole, and their size as received.
    TReply gathered_;
    size_t gatheredSize_ = 0;
    bool overlong_ = false;
};

} // namespace qv::http
