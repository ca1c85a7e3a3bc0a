#include "service/EncodeUrl.h"

#include <string_view>

namespace qv::service {

namespace {

std::string Escape(const std::string& text, std::string_view escaped) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        // Control bytes would break the request line (a CR LF would start a header of its own).
        if (byte < 0x20 || byte >= 0x7F || escaped.find(c) != std::string_view::npos) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string EncodeUrl(const std::string& url) {
    return Escape(url, " *#%<>");
}

std::string EncodeValue(const std::string& value) {
    return Escape(value, " *#%<>&=+");
}

} // namespace qv::service
