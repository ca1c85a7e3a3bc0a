#include "server/TerminalText.h"

#include "framework/Format.h"

#include <algorithm>

namespace qv::server {

namespace {

constexpr unsigned char kDelete = 0x7F;
// U+0080 to U+009F, the C1 controls, in UTF-8: 0xC2 followed by one of these.
constexpr unsigned char kC1Lead = 0xC2;
constexpr unsigned char kC1Last = 0x9F;

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
size_t SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const size_t length = lead >= 0xC2 && lead < 0xE0   ? 2
                          : lead >= 0xE0 && lead < 0xF0 ? 3
                          : lead >= 0xF0 && lead < 0xF5 ? 4
                                                        : 0;
    if (length == 0 || text.size() < length) return 0;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
    return length;
}

} // namespace

std::string TerminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const size_t length = byte < 0x80 ? 1 : SequenceLength(text.substr(i));
        const bool printable =
            byte < 0x80
                ? byte >= 0x20 && byte != kDelete
                : length > 0 && !(byte == kC1Lead && static_cast<unsigned char>(text[i + 1]) <= kC1Last);
        // A broken sequence is escaped one byte at a time: what follows may begin a good one.
        const size_t taken = std::max<size_t>(length, 1);
        if (printable)
            out.append(text.substr(i, taken));
        else
            for (size_t n = 0; n < taken; ++n)
                out += framework::Format("\\x%02X", static_cast<unsigned char>(text[i + n]));
        i += taken;
    }
    return out;
}

} // namespace qv::server
