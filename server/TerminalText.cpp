#include "server/TerminalText.h"

#include "framework/Format.h"

#include <algorithm>
#include <iterator>

namespace qv::server {

namespace {

constexpr unsigned char kDelete = 0x7F;

struct TCodePointRange {
    char32_t first;
    char32_t last;
};

// Code points beyond ASCII that a terminal acts on instead of showing them.
constexpr TCodePointRange kControls[] = {
    {0x0080, 0x009F}, // C1 controls
    // Bidirectional controls, which reorder what the terminal shows of the rest of the line:
    {0x061C, 0x061C}, // Arabic letter mark
    {0x200E, 0x200F}, // left-to-right and right-to-left marks
    {0x202A, 0x202E}, // embeddings, overrides and their end
    {0x2066, 0x2069}, // isolates and their end
};

// UTF-16's surrogate halves, which UTF-8 does not encode, and the last code point there is.
constexpr TCodePointRange kSurrogates = {0xD800, 0xDFFF};
constexpr char32_t kLastCodePoint = 0x10FFFF;

// The code point of a sequence of `sequence.size()` bytes whose continuation bytes are sound.
char32_t CodePoint(std::string_view sequence) {
    static constexpr unsigned char kLeadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
    char32_t point = static_cast<unsigned char>(sequence[0]) & kLeadBits[sequence.size()];
    for (size_t i = 1; i < sequence.size(); ++i)
        point = point << 6 | (static_cast<unsigned char>(sequence[i]) & 0x3F);
    return point;
}

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0. An overlong form
// is not one: a lenient terminal would take it for the control it stands for.
size_t SequenceLength(std::string_view text) {
    // The least code point that needs a sequence of each length.
    static constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    const auto lead = static_cast<unsigned char>(text[0]);
    const size_t length = lead >= 0xC2 && lead < 0xE0   ? 2
                          : lead >= 0xE0 && lead < 0xF0 ? 3
                          : lead >= 0xF0 && lead < 0xF5 ? 4
                                                        : 0;
    if (length == 0 || text.size() < length) return 0;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
    const char32_t point = CodePoint(text.substr(0, length));
    if (point < kShortest[length] || point > kLastCodePoint ||
        (point >= kSurrogates.first && point <= kSurrogates.last))
        return 0;
    return length;
}

bool IsControl(char32_t point) {
    return std::any_of(std::begin(kControls), std::end(kControls), [point](const TCodePointRange& range) {
        return point >= range.first && point <= range.last;
    });
}

} // namespace

std::string TerminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const size_t length = byte < 0x80 ? 1 : SequenceLength(text.substr(i));
        const bool printable = byte < 0x80 ? byte >= 0x20 && byte != kDelete
                                           : length > 0 && !IsControl(CodePoint(text.substr(i, length)));
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
