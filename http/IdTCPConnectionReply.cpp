#include "http/IdTCPConnection.h"

#include "framework/Conversions.h"
#include "http/IdResourceStrings.h"

#include <algorithm>

namespace qv::http {

namespace {
bool IsLastLineOf(const std::string& line, const std::string& first) {
    return line.size() < 4 || (framework::SameText(line.substr(0, 3), first.substr(0, 3)) && line[3] == ' ');
}

int ReplyNumberOf(const std::string& line) {
    if (line.rfind("+OK", 0) == 0) return 1;
    if (line.rfind("-ERR", 0) == 0) return 0;
    return framework::StrToIntDef(line.substr(0, 3), 0);
}
} // namespace

std::string TIdTCPConnection::LastReplyLine() const {
    return replyLines_.Count() > 0 ? replyLines_[replyLines_.Count() - 1] : std::string();
}

int16_t TIdTCPConnection::ReadReply(const std::vector<int>& allowed) {
    replyLines_.Clear();
    const std::string first = ReadLineWait();
    replyLines_.Add(first);
    if (first.size() > 3 && first[3] == '-') {
        int64_t size = static_cast<int64_t>(first.size());
        std::string line;
        do {
            line = ReadLine();
            replyLines_.Add(line);
            // A reply that never ends must not grow without bound either.
            size += static_cast<int64_t>(line.size()) + 2;
            if (size > MaxLineLength) throw EIdMaxLineLengthExceeded(RSMaxLineLengthExceeded);
        } while (!IsLastLineOf(line, first));
    }
    replyNumber_ = static_cast<int16_t>(ReplyNumberOf(LastReplyLine()));
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
