#include "crash/delivery/DnsMessage.h"

#include <algorithm>
#include <stdexcept>

namespace qv::crash {

namespace {

constexpr size_t kHeaderSize = 12;
constexpr uint16_t kRecursionDesired = 0x0100;
constexpr uint16_t kResponse = 0x8000;
constexpr uint16_t kTruncated = 0x0200;
constexpr uint16_t kClassInternet = 1;
// A name has at most 255 bytes, so a name that follows more pointers than that loops.
constexpr int kMaxPointers = 128;
constexpr size_t kMaxName = 255;

void PutWord(std::string& out, uint16_t value) {
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
}

// Reads an answer, throwing std::out_of_range at anything that does not fit.
class TReader {
public:
    explicit TReader(const std::string& bytes) : bytes_(bytes) {}

    uint8_t Byte(size_t at) const {
        if (at >= bytes_.size()) throw std::out_of_range("past the end");
        return static_cast<uint8_t>(bytes_[at]);
    }
    uint16_t Word() {
        const uint16_t value = static_cast<uint16_t>(Byte(at_) << 8 | Byte(at_ + 1));
        at_ += 2;
        return value;
    }
    void Skip(size_t count) {
        if (bytes_.size() - at_ < count) throw std::out_of_range("past the end");
        at_ += count;
    }
    std::string Bytes(size_t count) {
        Skip(count);
        return bytes_.substr(at_ - count, count);
    }
    // A name at the reading position, its compression pointers followed.
    std::string Name() {
        std::string name;
        size_t at = at_;
        bool jumped = false;
        for (int pointers = 0;;) {
            const uint8_t length = Byte(at);
            if ((length & 0xC0) == 0xC0) {
                if (++pointers > kMaxPointers) throw std::out_of_range("name pointers loop");
                const size_t target = static_cast<size_t>(length & 0x3F) << 8 | Byte(at + 1);
                if (!jumped) at_ = at + 2;
                jumped = true;
                at = target;
                continue;
            }
            if ((length & 0xC0) != 0) throw std::out_of_range("unknown label kind");
            if (length == 0) break;
            if (at + 1 + length > bytes_.size()) throw std::out_of_range("label past the end");
            if (!name.empty()) name += '.';
            name.append(bytes_, at + 1, length);
            if (name.size() > kMaxName) throw std::out_of_range("name too long");
            at += 1 + length;
        }
        if (!jumped) at_ = at + 1;
        return name;
    }
    TDnsMessage::TRecord Record() {
        TDnsMessage::TRecord record;
        record.name = Name();
        record.type = Word();
        Skip(6);
        const uint16_t length = Word();
        if (bytes_.size() - at_ < length) throw std::out_of_range("record past the end");
        const size_t end = at_ + length;
        if (record.type == TDnsMessage::kTypeMx) {
            record.preference = Word();
            record.data = Name();
        } else if (record.type == TDnsMessage::kTypeNs || record.type == TDnsMessage::kTypeCname) {
            record.data = Name();
        } else if (record.type == TDnsMessage::kTypeA || record.type == TDnsMessage::kTypeAaaa) {
            record.data = Bytes(length);
        }
        if (at_ > end) throw std::out_of_range("record longer than its length");
        at_ = end;
        return record;
    }

private:
    const std::string& bytes_;
    size_t at_ = 0;
};

} // namespace

std::string TDnsMessage::Query(uint16_t id, const std::string& name, uint16_t type) {
    std::string query;
    PutWord(query, id);
    PutWord(query, kRecursionDesired);
    PutWord(query, 1);
    for (int i = 0; i < 3; ++i)
        PutWord(query, 0);
    size_t start = 0;
    while (start < name.size()) {
        size_t end = name.find('.', start);
        if (end == std::string::npos) end = name.size();
        const size_t length = std::min<size_t>(end - start, 63);
        if (length > 0) {
            query += static_cast<char>(length);
            query.append(name, start, length);
        }
        start = end + 1;
    }
    query += '\0';
    PutWord(query, type);
    PutWord(query, kClassInternet);
    return query;
}

std::optional<TDnsMessage::TAnswer> TDnsMessage::Parse(const std::string& bytes) {
    if (bytes.size() < kHeaderSize) return std::nullopt;
    try {
        TReader reader(bytes);
        TAnswer answer;
        answer.id = reader.Word();
        const uint16_t flags = reader.Word();
        if ((flags & kResponse) == 0) return std::nullopt;
        answer.truncated = (flags & kTruncated) != 0;
        answer.resultCode = flags & 0x0F;
        const uint16_t questions = reader.Word();
        const uint16_t counts[3] = {reader.Word(), reader.Word(), reader.Word()};
        for (uint16_t i = 0; i < questions; ++i) {
            TQuestion question;
            question.name = reader.Name();
            question.type = reader.Word();
            question.klass = reader.Word();
            answer.questions.push_back(std::move(question));
        }
        std::vector<TRecord>* sections[3] = {&answer.answers, &answer.authorities, &answer.additionals};
        for (int section = 0; section < 3; ++section)
            for (uint16_t i = 0; i < counts[section]; ++i)
                sections[section]->push_back(reader.Record());
        return answer;
    } catch (const std::out_of_range&) {
        return std::nullopt;
    }
}

bool TDnsMessage::SameName(const std::string& a, const std::string& b) {
    const auto bare = [](const std::string& name) {
        std::string text = name;
        if (!text.empty() && text.back() == '.') text.pop_back();
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        return text;
    };
    return bare(a) == bare(b);
}

} // namespace qv::crash
