// URL escaping: an escaped URL or value decodes back to the text it was made from, and is fit
// for a request line: no blank, control or high byte, and in a value nothing that would end it.
#include "fuzz/support/FuzzInput.h"
#include "service/EncodeUrl.h"

#include <optional>

namespace {

std::optional<std::string> PercentDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const std::string hex = text.substr(i + 1, 2);
        if (hex.find_first_not_of("0123456789ABCDEF") != std::string::npos) return std::nullopt;
        out += static_cast<char>(std::stoi(hex, nullptr, 16));
        i += 2;
    }
    return out;
}

bool FitForRequestLine(const std::string& text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string url = service::EncodeUrl(text);
    const std::string value = service::EncodeValue(text);
    fuzz::Require(PercentDecode(url) == text, "an escaped URL decodes back to its text");
    fuzz::Require(PercentDecode(value) == text, "an escaped value decodes back to its text");
    fuzz::Require(FitForRequestLine(url) && FitForRequestLine(value), "an escaped URL fits a request line");
    fuzz::Require(value.find_first_of("&=+#") == std::string::npos, "an escaped value does not end itself");
    return 0;
}
