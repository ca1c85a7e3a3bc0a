// The skin reader's own inflater against zlib: for every raw deflate stream that zlib decodes,
// the inflater gives the same bytes, and wherever zlib fails, it fails too. Output is bounded
// alike for both, so that a small stream cannot make either write without limit.
#include "framework/Exception.h"
#include "framework/Stream.h"
#include "fuzz/support/FuzzInput.h"
#include "platform/zlib/RawDeflate.h"
#include "skin/archive/Inflater.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    bool tooLarge = false;
    const std::optional<std::string> expected = ZlibInflate(data, size, tooLarge);
    framework::TMemoryStream source, output;
    source.Write(data, static_cast<int64_t>(size));
    source.SetPosition(0);
    try {
        skin::TInflater(source, output, kMaxOutput).Run();
    } catch (const framework::Exception& e) {
        fuzz::Require(!expected, ("a stream that zlib decodes fails: " + e.Message()).c_str());
        return 0;
    }
    fuzz::Require(!tooLarge, "a stream that decodes beyond the bound fails");
    fuzz::Require(expected.has_value(), "a stream that zlib refuses decodes");
    fuzz::Require(output.DataString() == *expected, "the bytes are zlib's");
    return 0;
}
