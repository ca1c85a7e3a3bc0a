#include "http/IdTCPConnection.h"

#include "http/IdResourceStrings.h"
#include "http/text/IdReplyReader.h"

#include <algorithm>
#include <optional>

namespace qv::http {

std::string TIdTCPConnection::LastReplyLine() const {
    return replyLines_.Count() > 0 ? replyLines_[replyLines_.Count() - 1] : std::string();
}

int16_t TIdTCPConnection::ReadReply(const std::vector<int>& allowed) {
    replyLines_.Clear();
    // A reply that never ends must not grow without bound either.
    TIdReplyReader reader(static_cast<size_t>(std::max<int64_t>(MaxLineLength, 0)));
    std::string line = ReadLineWait();
    for (;;) {
        replyLines_.Add(line);
        const std::optional<TIdReplyReader::TReply> reply = reader.AddLine(std::move(line));
        if (reply) {
            replyNumber_ = static_cast<int16_t>(reply->Number());
            break;
        }
        if (reader.Overlong()) throw EIdMaxLineLengthExceeded(RSMaxLineLengthExceeded);
        line = ReadLine();
    }
    CheckReplyNumber(replyNumber_, allowed);
    return replyNumber_;
}

void TIdTCPConnection::CheckReplyNumber(int number, const std::vector<int>& allowed) {
    if (allowed.empty() || std::find(allowed.begin(), allowed.end(), number) != allowed.end()) return;
    RaiseReplyError();
}

void TIdTCPConnection::RaiseReplyError() {
    throw EIdProtocolReplyError(replyNumber_, LastReplyLine());
}

int16_t TIdTCPConnection::SendCommand(const std::string& text, const std::vector<int>& allowed) {
    if (text != std::string(1, '\0')) WriteLine(text);
    return ReadReply(allowed);
}

} // namespace qv::http
