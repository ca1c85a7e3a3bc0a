#include "platform/zlib/RawDeflate.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace qv::platform {

namespace {

// Negative window bits: a raw stream, with the largest window (32 KiB).
constexpr int kRawWindowBits = -15;
// The most memory zlib may use for its state, for the smallest output.
constexpr int kMemLevel = 9;
// zlib counts the bytes of one call in 32 bits; longer buffers go in several calls.
constexpr size_t kMaxPass = std::numeric_limits<uInt>::max();
// The output buffer a deflate call gets at a time, and the first one an inflate of unknown size
// gets.
constexpr size_t kChunk = 65536;

int ZlibStrategy(TDeflateStrategy strategy) {
    return strategy == TDeflateStrategy::FixedCodes ? Z_FIXED : Z_DEFAULT_STRATEGY;
}

// One inflate of a whole stream in memory, into buffers the caller hands out.
class TInflation {
public:
    explicit TInflation(std::string_view deflated) : rest_(deflated) {
        ready_ = inflateInit2(&z_, kRawWindowBits) == Z_OK;
    }
    ~TInflation() {
        if (ready_) inflateEnd(&z_);
    }
    TInflation(const TInflation&) = delete;
    TInflation& operator=(const TInflation&) = delete;

    // Goes on inflating into out[used..]; Ended or Damaged when the stream ended or failed there,
    // otherwise TooLarge: `out` is full and the stream goes on (or ends with no more bytes, which
    // EndsHere tells).
    TRawInflateResult::TStatus Fill(std::span<char> out, size_t& used) {
        if (!ready_) return TRawInflateResult::Damaged;
        while (used < out.size()) {
            if (z_.avail_in == 0 && !rest_.empty()) {
                const size_t pass = std::min(rest_.size(), kMaxPass);
                z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(rest_.data()));
                z_.avail_in = static_cast<uInt>(pass);
                rest_.remove_prefix(pass);
            }
            const uInt room = static_cast<uInt>(std::min(out.size() - used, kMaxPass));
            z_.next_out = reinterpret_cast<Bytef*>(out.data() + used);
            z_.avail_out = room;
            const int result = inflate(&z_, rest_.empty() ? Z_FINISH : Z_NO_FLUSH);
            used += room - z_.avail_out;
            if (result == Z_STREAM_END) return TRawInflateResult::Ended;
            if (result != Z_OK && result != Z_BUF_ERROR) return TRawInflateResult::Damaged;
            // Room left but no input: the stream stops before its final block ends.
            if (z_.avail_out > 0 && z_.avail_in == 0 && rest_.empty()) return TRawInflateResult::Damaged;
        }
        return TRawInflateResult::TooLarge;
    }

    // After Fill filled its buffer: whether the stream ends there, without another byte. zlib may
    // fill the buffer before it has read the end of the final block.
    TRawInflateResult::TStatus EndsHere() {
        char probe = 0;
        size_t used = 0;
        const auto status = Fill(std::span<char>(&probe, 1), used);
        return used > 0 ? TRawInflateResult::TooLarge : status;
    }

private:
    z_stream z_{};
    std::string_view rest_;
    bool ready_ = false;
};

} // namespace

struct TRawDeflater::TState {
    z_stream z{};
    std::string out;
    bool ready = false;
    bool failed = false;

    // Runs deflate over the input given until it is all taken, with the flush given, so that for
    // Z_FINISH the stream has ended.
    void Run(std::string_view input, int flush) {
        do {
            const size_t pass = std::min(input.size(), kMaxPass);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
            z.avail_in = static_cast<uInt>(pass);
            input.remove_prefix(pass);
            const int passFlush = input.empty() ? flush : Z_NO_FLUSH;
            int result = Z_OK;
            do {
                const size_t used = out.size();
                out.resize(used + kChunk);
                z.next_out = reinterpret_cast<Bytef*>(out.data() + used);
                z.avail_out = static_cast<uInt>(kChunk);
                result = deflate(&z, passFlush);
                out.resize(used + kChunk - z.avail_out);
                if (result == Z_STREAM_ERROR) failed = true;
            } while (!failed && (z.avail_out == 0 || (passFlush == Z_FINISH && result != Z_STREAM_END)));
        } while (!failed && !input.empty());
    }
};

TRawDeflater::TRawDeflater(int level) : state_(std::make_unique<TState>()) {
    state_->ready =
        deflateInit2(&state_->z, level, Z_DEFLATED, kRawWindowBits, kMemLevel, Z_DEFAULT_STRATEGY) == Z_OK;
    state_->failed = !state_->ready;
}

TRawDeflater::~TRawDeflater() {
    if (state_->ready) deflateEnd(&state_->z);
}

void TRawDeflater::SetParams(int level, TDeflateStrategy strategy) {
    // zlib codes the input it holds before it changes the parameters; without the room for that it
    // changes nothing and asks for more.
    while (!state_->failed) {
        const size_t used = state_->out.size();
        state_->out.resize(used + kChunk);
        state_->z.next_out = reinterpret_cast<Bytef*>(state_->out.data() + used);
        state_->z.avail_out = static_cast<uInt>(kChunk);
        const int result = deflateParams(&state_->z, level, ZlibStrategy(strategy));
        state_->out.resize(used + kChunk - state_->z.avail_out);
        if (result == Z_OK) return;
        if (result != Z_BUF_ERROR) state_->failed = true;
    }
}

void TRawDeflater::Add(std::string_view piece) {
    if (!state_->failed) state_->Run(piece, Z_NO_FLUSH);
}

std::optional<std::string> TRawDeflater::Finish() {
    if (!state_->failed) state_->Run({}, Z_FINISH);
    if (state_->failed) return std::nullopt;
    return std::move(state_->out);
}

std::optional<std::string> RawDeflate(std::string_view data, int level) {
    TRawDeflater deflater(level);
    deflater.Add(data);
    return deflater.Finish();
}

TRawInflateResult RawInflateInto(std::string_view deflated, std::span<char> out) {
    TInflation inflation(deflated);
    TRawInflateResult result;
    result.status = inflation.Fill(out, result.size);
    if (result.status == TRawInflateResult::TooLarge) result.status = inflation.EndsHere();
    return result;
}

std::optional<std::string> RawInflate(std::string_view deflated, size_t maxSize) {
    TInflation inflation(deflated);
    std::string out;
    size_t used = 0;
    for (;;) {
        out.resize(std::min(maxSize, std::max(out.size() * 2, kChunk)));
        switch (inflation.Fill(out, used)) {
        case TRawInflateResult::Ended:
            out.resize(used);
            return out;
        case TRawInflateResult::Damaged:
            return std::nullopt;
        case TRawInflateResult::TooLarge:
            if (out.size() < maxSize) continue;
            if (inflation.EndsHere() != TRawInflateResult::Ended) return std::nullopt;
            return out;
        }
    }
}

} // namespace qv::platform
