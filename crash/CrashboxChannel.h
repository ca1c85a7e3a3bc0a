#pragma once

#include <cstdint>
#include <string>

namespace qv::crash {

// The conversation between the handler thread and the dialog program, over one stream socket:
// messages of a kind byte, a 32-bit little-endian length and that many bytes. Writing to a peer
// that has gone fails instead of raising a signal.
class TCrashboxChannel {
public:
    enum class TKind : char {
        // To the dialog program: the progress of the report in thousandths.
        Progress = 'P',
        // To the dialog program: what to show (a TCrashboxRequest).
        Dialog = 'D',
        // To the dialog program: the answer to its last question.
        Reply = 'R',
        // To the dialog program: close at once, nothing chosen (the frozen main thread answers again).
        Close = 'C',
        // To the dialog program, alone: own the clipboard with this text until another program
        // takes it; the reply "1" says it does.
        Clipboard = 'B',
        // From the dialog program: may the action's default run, or did a listener handle it?
        Ask = 'A',
        // From the dialog program: mail the report.
        Mail = 'M',
        // From the dialog program: save the report to the file named.
        Save = 'S',
        // From the dialog program, last: the action chosen, or nothing.
        Chosen = 'X',
    };
    struct TMessage {
        TKind kind = TKind::Reply;
        std::string payload;
    };
    enum class TRead { Message, Timeout, Closed };
    // Larger messages are a broken peer: the report itself is far smaller.
    static constexpr uint32_t kMaxPayload = 64u << 20;

    explicit TCrashboxChannel(int socket) : socket_(socket) {}

    bool Write(TKind kind, const std::string& payload);
    // Waits at most timeoutMs (-1: without limit) for a whole message.
    TRead Read(TMessage& message, int timeoutMs);
    int Socket() const { return socket_; }

private:
    int socket_;
    std::string received_;

    // The length in the header of the message that the received bytes begin with.
    uint32_t PendingLength() const;
    bool TakeMessage(TMessage& message);
};

} // namespace qv::crash
