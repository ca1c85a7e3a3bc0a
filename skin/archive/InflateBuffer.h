#pragma once

#include "skin/archive/MatchCopy.h"

#include <cstddef>
#include <cstdint>

namespace qv::skin {

// The inflater's output when the size is known: the caller's buffer, which is its own history,
// so that nothing is copied or moved. Output beyond the buffer's end raises EInflateError and
// nothing is ever written past it.
class TInflateBuffer {
public:
    TInflateBuffer(uint8_t* data, size_t size) : data_(data), size_(size) {}

    void Put(uint8_t byte) {
        if (position_ == size_) Full();
        data_[position_++] = byte;
    }
    // Copies length bytes from distance bytes back; raises EInflateError when the distance
    // reaches before the start of the output or the match beyond the buffer's end.
    void Copy(unsigned distance, unsigned length);

    uint8_t* Begin() { return data_; }
    uint8_t* WritePointer() { return data_ + position_; }
    // Below this a decoder may write a whole match and its copy slack directly, then Commit.
    uint8_t* FastLimit() { return data_ + (size_ > kFastMargin ? size_ - kFastMargin : 0); }
    // Room for a direct write of raw bytes, at least one; raises EInflateError when full.
    size_t Room() const;
    void Commit(size_t byteCount) { position_ += byteCount; }

    // The bytes written so far.
    size_t Size() const { return position_; }

private:
    static constexpr size_t kFastMargin = kMaxMatch + kCopySlack;

    [[noreturn]] static void Full();

    uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

} // namespace qv::skin
