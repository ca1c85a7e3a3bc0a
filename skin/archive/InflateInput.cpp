#include "skin/archive/InflateInput.h"

#include "skin/archive/EInflateError.h"

#include <algorithm>
#include <cstring>

namespace qv::skin {

namespace {
constexpr size_t kInputBufferSize = 16 * 1024;
}

TInflateInput::TInflateInput(framework::TStream& source)
    : source_(&source), ownBuffer_(std::make_unique_for_overwrite<uint8_t[]>(kInputBufferSize)),
      buffer_(ownBuffer_.get()) {}

TInflateInput::TInflateInput(const uint8_t* data, size_t size)
    : buffer_(data), end_(size), sourceEnded_(true) {}

void TInflateInput::Overrun() {
    throw EInflateError("Unexpected end of deflate data");
}

void TInflateInput::FillBuffer() {
    if (sourceEnded_) return;
    const size_t kept = end_ - position_;
    std::memmove(ownBuffer_.get(), ownBuffer_.get() + position_, kept);
    position_ = 0;
    end_ = kept;
    while (end_ < kInputBufferSize && !sourceEnded_) {
        const int64_t got =
            source_->Read(ownBuffer_.get() + end_, static_cast<int64_t>(kInputBufferSize - end_));
        if (got <= 0)
            sourceEnded_ = true;
        else
            end_ += static_cast<size_t>(got);
    }
}

void TInflateInput::Refill() {
    // Stops below 64 bits, so that a lent cursor can shift a new word in by its count.
    while (count_ < 32) {
        if (end_ - position_ < 4) FillBuffer();
        const size_t available = std::min<size_t>(end_ - position_, 4);
        uint64_t word = 0;
        for (size_t i = 0; i < available; ++i)
            word |= uint64_t{buffer_[position_ + i]} << (8 * i);
        position_ += available;
        bits_ |= word << count_;
        count_ += 32;
        padding_ += static_cast<unsigned>(32 - 8 * available);
    }
}

void TInflateInput::ReadBytes(uint8_t* target, size_t byteCount) {
    while (byteCount > 0 && count_ >= 8) {
        *target++ = static_cast<uint8_t>(bits_);
        Drop(8);
        --byteCount;
    }
    while (byteCount > 0) {
        if (position_ == end_) FillBuffer();
        if (position_ == end_) Overrun();
        const size_t n = std::min(byteCount, end_ - position_);
        std::memcpy(target, buffer_ + position_, n);
        position_ += n;
        target += n;
        byteCount -= n;
    }
}

} // namespace qv::skin
