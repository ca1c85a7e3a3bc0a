#include "http/IdHTTPReplyFraming.h"

#include "framework/Conversions.h"
#include "framework/EConvertError.h"
#include "framework/Format.h"
#include "http/IdException.h"
#include "http/IdResourceStrings.h"
#include "http/text/IdTextFunctions.h"

#include <limits>

namespace qv::http {

namespace {

// Largest number of significant hexadecimal digits a signed 64-bit count can hold.
constexpr size_t kMaxChunkSizeDigits = 16;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The comma-separated elements of header values, blanks around them removed; empty ones dropped.
std::vector<std::string> ListElements(const std::vector<std::string>& values) {
    std::vector<std::string> elements;
    for (std::string rest : values) {
        do {
            std::string element = framework::Trim(SplitAt(rest, ",", true));
            if (!element.empty()) elements.push_back(std::move(element));
        } while (!rest.empty());
    }
    return elements;
}

} // namespace

int32_t ReplyStatusCode(const std::string& token) {
    if (!StrictDecimal(token))
        throw framework::EConvertError(framework::FormatMessage(framework::SInvalidInteger, token));
    return framework::StrToInt(token);
}

std::optional<int64_t> ReplyContentLength(const std::vector<std::string>& values) {
    std::optional<int64_t> length;
    for (const std::string& element : ListElements(values)) {
        const auto value = StrictDecimal(element);
        if (!value) throw EIdMalformedReply(RSInvalidContentLength);
        if (length && *length != *value) throw EIdMalformedReply(RSConflictingContentLength);
        length = value;
    }
    if (!values.empty() && !length) throw EIdMalformedReply(RSInvalidContentLength);
    return length;
}

TransferCoding ReplyTransferCoding(const std::vector<std::string>& values) {
    if (values.empty()) return TransferCoding::Absent;
    const std::vector<std::string> codings = ListElements(values);
    if (codings.empty()) return TransferCoding::Other;
    std::string last = codings.back();
    last = framework::Trim(SplitAt(last, ";", false));
    return AnsiSameText(last, "chunked") ? TransferCoding::Chunked : TransferCoding::Other;
}

int64_t ChunkSize(const std::string& line) {
    const size_t end = line.find_first_of("; \t");
    const std::string digits = line.substr(0, end);
    const size_t significant = digits.find_first_not_of('0');
    if (digits.empty() ||
        (significant != std::string::npos && digits.size() - significant > kMaxChunkSizeDigits))
        throw EIdMalformedReply(RSInvalidChunkSize);
    uint64_t size = 0;
    for (char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0) throw EIdMalformedReply(RSInvalidChunkSize);
        size = size << 4 | static_cast<uint64_t>(digit);
    }
    if (size > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
        throw EIdMalformedReply(RSInvalidChunkSize);
    return static_cast<int64_t>(size);
}

} // namespace qv::http
