#pragma once

#include "framework/Stream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace qv::skin {

// The inflater's output: a window of 64 KiB plus the longest match. When the write position
// reaches 64 KiB the first 32 KiB go to the output stream and the rest moves down, so that at
// least 32 KiB of history stay available for back-references.
class TInflateWindow {
public:
    static constexpr size_t kFlushAt = 64 * 1024;
    static constexpr size_t kMaxMatch = 258;
    // Room past the window for the whole 16-byte pieces in which CopyMatch may overshoot.
    static constexpr size_t kCopySlack = 16;

    // Raises EInflateError once the output would grow beyond maxOutput bytes.
    TInflateWindow(framework::TStream& output, int64_t maxOutput);

    void Put(uint8_t byte) {
        data_[position_++] = byte;
        if (position_ >= kFlushAt) Slide();
    }
    // Copies length (at most kMaxMatch) bytes from distance bytes back; raises EInflateError
    // when the distance reaches before the start of the output.
    void Copy(unsigned distance, unsigned length);

    // Copies length bytes from distance bytes back, as deflate defines it: byte by byte, so that
    // an overlapping copy repeats its pattern. It may write up to kCopySlack bytes past the end.
    static void CopyMatch(uint8_t* target, unsigned distance, unsigned length) {
        const uint8_t* from = target - distance;
        uint8_t* const end = target + length;
        if (distance >= 16) {
            // A piece never reads bytes that this copy has yet to write.
            do {
                std::memcpy(target, from, 16);
                target += 16;
                from += 16;
            } while (target < end);
        } else if (distance >= 8) {
            do {
                std::memcpy(target, from, 8);
                target += 8;
                from += 8;
            } while (target < end);
        } else if (distance == 1) {
            const uint64_t run = uint64_t{*from} * 0x0101010101010101;
            do {
                std::memcpy(target, &run, 8);
                target += 8;
            } while (target < end);
        } else {
            // A multiple of the period of at least 8 bytes copies the same pattern in 8-byte
            // pieces, once that many bytes of it lie behind the target.
            const unsigned wide = distance * ((8 + distance - 1) / distance);
            uint8_t* const patternEnd = std::min(end, target + (wide - distance));
            while (target < patternEnd)
                *target++ = *from++;
            from = target - wide;
            while (target < end) {
                std::memcpy(target, from, 8);
                target += 8;
                from += 8;
            }
        }
    }

    // Room for a direct write of raw bytes, then Commit of how many were written.
    uint8_t* WritePointer() { return data_.get() + position_; }
    // Where the window's history starts; output beyond Begin() + kFlushAt must be committed.
    uint8_t* Begin() { return data_.get(); }
    size_t Room() const { return kFlushAt - position_; }
    void Commit(size_t byteCount);

    // Writes out what remains in the window.
    void Finish();

private:
    void Slide();
    void Emit(size_t byteCount);

    framework::TStream& output_;
    int64_t maxOutput_;
    int64_t written_ = 0;
    // Left uninitialised: no byte is read before it has been written.
    std::unique_ptr<uint8_t[]> data_;
    size_t position_ = 0;
};

} // namespace qv::skin
