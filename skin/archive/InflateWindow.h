#pragma once

#include "framework/Stream.h"
#include "skin/archive/MatchCopy.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace qv::skin {

// The inflater's output when the size is not known: a window of 64 KiB plus the longest match.
// When the write position reaches 64 KiB the first 32 KiB go to the output stream and the rest
// moves down, so that at least 32 KiB of history stay available for back-references.
class TInflateWindow {
public:
    static constexpr size_t kFlushAt = 64 * 1024;

    // Raises EInflateError once the output would grow beyond maxOutput bytes.
    TInflateWindow(framework::TStream& output, int64_t maxOutput);

    void Put(uint8_t byte) {
        data_[position_++] = byte;
        if (position_ >= kFlushAt) Slide();
    }
    // Copies length (at most kMaxMatch) bytes from distance bytes back; raises EInflateError
    // when the distance reaches before the start of the output.
    void Copy(unsigned distance, unsigned length);

    // Where the history starts: no match may reach before it.
    uint8_t* Begin() { return data_.get(); }
    uint8_t* WritePointer() { return data_.get() + position_; }
    // Below this a decoder may write a whole match and its copy slack directly, then Commit.
    uint8_t* FastLimit() { return data_.get() + kFlushAt; }
    // Room for a direct write of raw bytes, at least one.
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
