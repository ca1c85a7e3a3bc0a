#include "skin/archive/DecryptingStream.h"

#include <algorithm>

namespace qv::skin {

namespace {
constexpr int64_t kBlockSize = 1024;
}

TDecryptingStream::TDecryptingStream(framework::TStream& source, const TPkCipher& cipher)
    : source_(source), cipher_(cipher), start_(source.Position()) {}

int64_t TDecryptingStream::Read(void* buffer, int64_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t total = 0;
    while (total < count) {
        const int64_t got = source_.Read(out + total, std::min(kBlockSize, count - total));
        if (got <= 0) break;
        cipher_.Decrypt(out + total, static_cast<size_t>(got));
        total += got;
    }
    position_ += total;
    return total;
}

int64_t TDecryptingStream::Write(const void*, int64_t) {
    throw framework::EStreamError("Stream write error");
}

int64_t TDecryptingStream::Size() const {
    return std::max<int64_t>(0, source_.Size() - start_);
}

void TDecryptingStream::SetSize(int64_t) {
    throw framework::EStreamError("Stream write error");
}

} // namespace qv::skin
