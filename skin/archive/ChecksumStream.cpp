#include "skin/archive/ChecksumStream.h"

#include <zlib.h>

namespace qv::skin {

int64_t TChecksumStream::Read(void*, int64_t) {
    throw framework::EStreamError("Stream read error");
}

int64_t TChecksumStream::Write(const void* buffer, int64_t count) {
    const int64_t done = target_.Write(buffer, count);
    if (done > 0) {
        crc_ = static_cast<uint32_t>(
            crc32_z(crc_, static_cast<const Bytef*>(buffer), static_cast<z_size_t>(done)));
        written_ += done;
    }
    position_ = written_;
    return done;
}

void TChecksumStream::SetSize(int64_t) {
    throw framework::EStreamError("Stream write error");
}

} // namespace qv::skin
