#include "crash/delivery/SmtpReplyReader.h"

#include <algorithm>
#include <sstream>

namespace qv::crash {

namespace {

// The fourth character of a line that another line of the same reply follows.
constexpr size_t kSeparatorAt = 3;

bool LineOffersLogin(const std::string& line) {
    std::string text = line.size() > kSeparatorAt + 1 ? line.substr(kSeparatorAt + 1) : std::string();
    std::replace(text.begin(), text.end(), '=', ' ');
    std::istringstream words(text);
    std::string word;
    if (!(words >> word) || word != "AUTH") return false;
    while (words >> word)
        if (word == "LOGIN") return true;
    return false;
}

bool LineOffersStartTls(const std::string& line) {
    std::istringstream words(line.size() > kSeparatorAt + 1 ? line.substr(kSeparatorAt + 1) : std::string());
    std::string word;
    return words >> word && word == "STARTTLS" && !(words >> word);
}

} // namespace

std::string TSmtpReplyReader::TReply::Code() const {
    return lines.empty() ? std::string() : lines.back().substr(0, kSeparatorAt);
}

bool TSmtpReplyReader::TReply::OffersLogin() const {
    return std::any_of(lines.begin(), lines.end(), LineOffersLogin);
}

bool TSmtpReplyReader::TReply::OffersStartTls() const {
    return std::any_of(lines.begin(), lines.end(), LineOffersStartTls);
}

void TSmtpReplyReader::Feed(const char* bytes, size_t size) {
    if (!overlong_) received_.append(bytes, size);
}

std::optional<TSmtpReplyReader::TReply> TSmtpReplyReader::Next() {
    if (overlong_) return std::nullopt;
    std::optional<TReply> whole;
    size_t start = 0;
    while (!whole) {
        const size_t end = received_.find('\n', std::max(start, searched_));
        if (end == std::string::npos) break;
        std::string line = received_.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        gatheredSize_ += end + 1 - start;
        start = end + 1;
        const bool last = line.size() <= kSeparatorAt || line[kSeparatorAt] != '-';
        gathered_.lines.push_back(std::move(line));
        if (last) {
            whole = std::move(gathered_);
            gathered_ = {};
            gatheredSize_ = 0;
        }
    }
    received_.erase(0, start);
    if (whole) {
        searched_ = 0;
        return whole;
    }
    searched_ = received_.size();
    overlong_ = gatheredSize_ + received_.size() > maxReply_;
    if (overlong_) {
        received_.clear();
        gathered_ = {};
    }
    return std::nullopt;
}

} // namespace qv::crash
