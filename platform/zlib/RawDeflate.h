#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qv::platform {

// Raw deflate streams (RFC 1951: no zlib header, no checksum), as skin archives and symbol
// packages hold them, made and read through zlib.

// Compression levels: stored blocks only, and the smallest output.
constexpr int kDeflateStored = 0;
constexpr int kDeflateBest = 9;

// The codes a deflater uses for what comes next: its own choice, or the fixed codes only.
enum class TDeflateStrategy { Default, FixedCodes };

// Makes one deflate stream from pieces, each coded at the level and strategy in force when it is
// added.
class TRawDeflater {
public:
    explicit TRawDeflater(int level = kDeflateBest);
    ~TRawDeflater();
    TRawDeflater(const TRawDeflater&) = delete;
    TRawDeflater& operator=(const TRawDeflater&) = delete;

    // Codes the pieces added from now on this way; what was added before keeps its coding.
    void SetParams(int level, TDeflateStrategy strategy);
    void Add(std::string_view piece);
    // The whole stream; nothing when zlib failed, at any step (it fails only for want of memory).
    std::optional<std::string> Finish();

private:
    struct TState;
    std::unique_ptr<TState> state_;
};

// The data as one deflate stream at the level; nothing when zlib failed.
std::optional<std::string> RawDeflate(std::string_view data, int level = kDeflateBest);

// What inflating into a buffer of fixed size found.
struct TRawInflateResult {
    enum TStatus {
        Ended,    // the stream ended within the buffer
        Damaged,  // the stream is malformed or cut short
        TooLarge, // the stream decodes to more bytes than the buffer holds
    };
    TStatus status = Damaged;
    // The bytes written to the buffer.
    size_t size = 0;
};

// Inflates the stream into `out` from its start; never writes beyond it.
TRawInflateResult RawInflateInto(std::string_view deflated, std::span<char> out);

// The bytes the stream decodes to; nothing when it is malformed, cut short or decodes to more than
// `maxSize` bytes, so that a small stream cannot make it allocate without bound.
std::optional<std::string> RawInflate(std::string_view deflated, size_t maxSize);

} // namespace qv::platform
