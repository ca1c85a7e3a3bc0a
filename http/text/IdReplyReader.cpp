#include "http/text/IdReplyReader.h"

#include "framework/Conversions.h"

#include <algorithm>

namespace qv::http {

namespace {

// The characters of the code, and the position of the "-" that another line of the reply follows.
constexpr size_t kCodeLength = 3;

bool Continues(const std::string& first) {
    return first.size() > kCodeLength && first[kCodeLength] == '-';
}

bool EndsReplyOf(const std::string& line, const std::string& first) {
    return line.size() <= kCodeLength ||
           (framework::SameText(std::string_view(line).substr(0, kCodeLength),
                                std::string_view(first).substr(0, kCodeLength)) &&
            line[kCodeLength] == ' ');
}

} // namespace

std::string TIdReplyReader::TReply::Code() const {
    return lines.empty() ? std::string() : lines.back().substr(0, kCodeLength);
}

int TIdReplyReader::TReply::Number() const {
    const std::string last = lines.empty() ? std::string() : lines.back();
    if (last.rfind("+OK", 0) == 0) return 1;
    if (last.rfind("-ERR", 0) == 0) return 0;
    return framework::StrToIntDef(last.substr(0, kCodeLength), 0);
}

void TIdReplyReader::Feed(const char* bytes, size_t size) {
    if (!overlong_) received_.append(bytes, size);
}

std::optional<TIdReplyReader::TReply> TIdReplyReader::Next() {
    if (overlong_) return std::nullopt;
    std::optional<TReply> whole;
    size_t start = 0;
    while (!whole && !overlong_) {
        const size_t end = received_.find('\n', std::max(start, searched_));
        if (end == std::string::npos) break;
        std::string line = received_.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        whole = Gather(std::move(line), end + 1 - start);
        start = end + 1;
    }
    received_.erase(0, start);
    searched_ = whole ? 0 : received_.size();
    if (!whole && gatheredSize_ + received_.size() > maxReply_) overlong_ = true;
    if (overlong_) {
        received_.clear();
        gathered_ = {};
    }
    return whole;
}

std::optional<TIdReplyReader::TReply> TIdReplyReader::AddLine(std::string line) {
    if (overlong_) return std::nullopt;
    const size_t size = line.size();
    std::optional<TReply> whole = Gather(std::move(line), size);
    if (overlong_) gathered_ = {};
    return whole;
}

std::optional<TIdReplyReader::TReply> TIdReplyReader::Gather(std::string line, size_t size) {
    gatheredSize_ += size;
    if (gatheredSize_ > maxReply_) {
        overlong_ = true;
        return std::nullopt;
    }
    const bool last = gathered_.lines.empty() ? !Continues(line) : EndsReplyOf(line, gathered_.lines.front());
    gathered_.lines.push_back(std::move(line));
    if (last) {
        TReply whole = std::move(gathered_);
        gathered_ = {};
        gatheredSize_ = 0;
        return whole;
    }
    return std::nullopt;
}

} // namespace qv::http
