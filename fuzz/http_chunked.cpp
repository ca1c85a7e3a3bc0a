// A chunked reply body: whatever the client answers must be what a reference decoder of the
// chunked coding gives, and a body that the reference refuses must end in an exception. The
// first byte chooses how the body arrives; the rest is the body as the server sends it.
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/MemoryPeer.h"
#include "http/IdException.h"
#include "http/IdHTTP.h"

#include <limits>
#include <optional>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The chunked coding of RFC 9112 (section 7.1) as the client promises to read it: a line ends
// at LF with one CR before it dropped; a chunk size is hexadecimal digits up to the line's end,
// a ";" that starts an extension or a blank, and fits a signed 64-bit count; each chunk's data
// is followed by an empty line; trailer lines follow up to an empty line. None for a body that
// is malformed or cut short; bytes after the body are not part of it.
std::optional<std::string> Dechunk(std::string_view wire) {
    size_t at = 0;
    const auto nextLine = [&]() -> std::optional<std::string_view> {
        const size_t end = wire.find('\n', at);
        if (end == std::string_view::npos) return std::nullopt;
        std::string_view line = wire.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return line;
    };
    std::string body;
    for (;;) {
        const auto sizeLine = nextLine();
        if (!sizeLine) return std::nullopt;
        const std::string_view digits = sizeLine->substr(0, sizeLine->find_first_of("; \t"));
        if (digits.empty()) return std::nullopt;
        uint64_t size = 0;
        for (char c : digits) {
            const int digit = HexDigit(c);
            constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
            if (digit < 0 || size > (kMax - static_cast<uint64_t>(digit)) / 16) return std::nullopt;
            size = size * 16 + static_cast<uint64_t>(digit);
        }
        if (size == 0) break;
        if (wire.size() - at < size) return std::nullopt;
        body += wire.substr(at, size);
        at += size;
        const auto end = nextLine();
        if (!end || !end->empty()) return std::nullopt;
    }
    for (;;) {
        const auto trailer = nextLine();
        if (!trailer) return std::nullopt;
        if (trailer->empty()) return body;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const fuzz::FuzzInput input(data, size);
    fuzz::MemoryPeer peer({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + input.Text()},
                          fuzz::MemoryPeer::Answers::PerRequestHead, input.Piece(0));
    const std::optional<std::string> expected = Dechunk(input.Text());
    http::TIdHTTP client;
    try {
        const std::string body = client.Get("http://127.0.0.1/");
        fuzz::Require(expected.has_value(), "a body the reference refuses ends in an exception");
        fuzz::Require(body == *expected, "the body is what the reference decodes");
    } catch (const http::EIdReplyHeaderTooLarge&) {
        // The trailer's limits are the client's own.
    } catch (const framework::Exception& e) {
        fuzz::Require(!expected, ("a body the reference accepts fails: " + e.Message()).c_str());
    }
    return 0;
}
