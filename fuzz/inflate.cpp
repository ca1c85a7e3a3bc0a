// The skin reader's own inflater against zlib: for every raw deflate stream that zlib decodes,
// the inflater gives the same bytes, and wherever zlib fails, it fails too. Output is bounded
// alike for both, so that a small stream cannot make either write without limit. Ours decodes
// straight into a buffer of the decoded size, held in memory of exactly that size so that a write
// past its end is caught.
#include "framework/Exception.h"
#include "fuzz/support/FuzzInput.h"
#include "platform/zlib/RawDeflate.h"
#include "skin/archive/Inflater.h"

#include <memory>
#include <optional>

namespace {

constexpr size_t kMaxOutput = 1024 * 1024;

// zlib's reading of the stream: the bytes up to the end of the final block; none when the
// stream is malformed, cut short or decodes to more than kMaxOutput bytes.
std::optional<std::string> ZlibInflate(const uint8_t* data, size_t size, bool& tooLarge) {
    std::string output(kMaxOutput, '\0');
    const auto result =
        qv::platform::RawInflateInto(std::string_view(reinterpret_cast<const char*>(data), size), output);
    tooLarge = result.status == qv::platform::TRawInflateResult::TooLarge;
    if (result.status != qv::platform::TRawInflateResult::Ended) return std::nullopt;
    output.resize(result.size);
    return output;
}

// The message that decoding fails with; none when it succeeds.
template <class TDecode>
std::optional<std::string> Failure(TDecode decode) {
    try {
        decode();
    } catch (const qv::framework::Exception& e) {
        return e.Message();
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    bool tooLarge = false;
    const std::optional<std::string> expected = ZlibInflate(data, size, tooLarge);

    const size_t capacity = expected ? expected->size() : kMaxOutput;
    const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(capacity);
    size_t decoded = 0;
    const auto bufferFailure = Failure([&] {
        skin::TInflateInput input(data, size);
        decoded = skin::InflateToBuffer(input, buffer.get(), capacity);
    });
    if (bufferFailure) {
        fuzz::Require(!expected, ("a stream that zlib decodes fails: " + *bufferFailure).c_str());
    } else {
        fuzz::Require(!tooLarge, "a stream that decodes beyond the bound fails");
        fuzz::Require(expected.has_value(), "a stream that zlib refuses decodes");
    }
    if (!bufferFailure)
        fuzz::Require(std::string(reinterpret_cast<const char*>(buffer.get()), decoded) == *expected,
                      "the buffer holds zlib's bytes");
    return 0;
}
