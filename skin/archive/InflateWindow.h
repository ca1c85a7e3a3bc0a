#pragma once

#include "framework/Stream.h"
#include "skin/archive/LittleEndian.h"

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
    // Room past the window for the whole pieces in which CopyMatch may overshoot.
    static constexpr size_t kCopySlack = 32;

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
            // A piece never reads bytes that this copy has yet to write. Most matches are short:
            // the first two pieces go without a test.
            std::memcpy(target, from, 16);
            std::memcpy(target + 16, from + 16, 16);
            target += 32;
            from += 32;
            // Pieces as long as the distance allows.
            const unsigned piece = distance >= 32 ? 32 : 16;
            while (target < end) {
                std::memcpy(target, from, 16);
                if (piece == 32) std::memcpy(target + 16, from + 16, 16);
                target += piece;
                from += piece;
            }
        } else if (distance >= 8) {
            do {
                std::memcpy(target, from, 8);
                target += 8;
                from += 8;
            } while (target < end);
        } else {
            // A period shorter than a word: the pattern is spread over a whole word once, then
            // stored again and again, advancing by the most whole periods that fit in a word.
            // Loading back bytes just stored would stall the copy on every word.
            uint64_t pattern = ReadU64(from) & ((uint64_t{1} << (8 * distance)) - 1);
            for (unsigned filled = distance; filled < 8; filled *= 2)
                pattern |= pattern << (8 * filled);
            constexpr uint8_t kWholePeriods[8] = {0, 8, 8, 6, 8, 5, 6, 7};
            const unsigned step = kWholePeriods[distance];
            do {
                WriteU64(target, pattern);
                target += step;
            } while (target < end);
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
