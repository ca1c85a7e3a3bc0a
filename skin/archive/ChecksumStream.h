#pragma once

#include "framework/Stream.h"

#include <cstdint>

namespace qv::skin {

// Passes what is written on to another stream, counting the bytes and keeping their CRC-32, so
// that an extracted member can be checked against what the archive says it holds.
class TChecksumStream : public framework::TStream {
public:
    explicit TChecksumStream(framework::TStream& target) : target_(target) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Size() const override { return written_; }
    void SetSize(int64_t size) override;

    int64_t Written() const { return written_; }
    uint32_t Crc32() const { return crc_; }

private:
    framework::TStream& target_;
    int64_t written_ = 0;
    uint32_t crc_ = 0;
};

} // namespace qv::skin
