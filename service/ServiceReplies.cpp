#include "service/ServiceReplies.h"

#include "framework/Conversions.h"
#include "framework/StringList.h"

namespace qv::service {

namespace {
constexpr const char* kBadLogin = "Bad login";
constexpr size_t kAccountWordLength = 4;
} // namespace

bool IsAccountWord(const std::string& word) {
    return word == "user";
}

bool LoginSucceeded(const std::string& reply) {
    return reply != kBadLogin && reply.size() >= kAccountWordLength &&
           IsAccountWord(reply.substr(0, kAccountWordLength));
}

std::string LoginTail(const std::string& reply) {
    return reply.size() > kAccountWordLength ? reply.substr(kAccountWordLength) : std::string();
}

bool ReplySucceeded(const std::string& reply) {
    return reply.compare(0, 2, "ok") == 0;
}

int32_t BrowseReplyTotal(const std::string& reply) {
    return framework::StrToInt(reply.size() > 2 ? reply.substr(2, 10) : std::string());
}

std::vector<TenderRow> BrowseReplyRows(const std::string& reply) {
    framework::TStringList lines;
    lines.SetText(reply.size() > 14 ? reply.substr(14) : std::string());
    std::vector<TenderRow> rows;
    for (int i = 0; i + 1 < lines.Count(); i += 2)
        rows.push_back({lines[i], lines[i + 1]});
    return rows;
}

std::string ViewReplyText(const std::string& reply) {
    std::string text;
    text.reserve(reply.size());
    for (size_t i = 0; i < reply.size(); ++i) {
        if (reply[i] == '\r' || reply[i] == '\n') {
            text += "\r\n";
            if (reply[i] == '\r' && i + 1 < reply.size() && reply[i + 1] == '\n') ++i;
        } else {
            text += reply[i];
        }
    }
    const size_t firstBreak = text.find("\r\n");
    return firstBreak == std::string::npos ? std::string() : text.substr(firstBreak + 2);
}

} // namespace qv::service
