#include "skin/InflateWindow.h"

#include "skin/EInflateError.h"

#include <cstring>

namespace qv::skin {

namespace {
constexpr size_t kSlide = 32 * 1024;
}

TInflateWindow::TInflateWindow(framework::TStream& output, int64_t maxOutput)
    : output_(output), maxOutput_(maxOutput), data_(kFlushAt + kMaxMatch) {}

void TInflateWindow::Copy(unsigned distance, unsigned length) {
    if (distance == 0 || distance > position_) throw EInflateError("Invalid match distance");
    uint8_t* target = data_.data() + position_;
    const uint8_t* from = target - distance;
    if (distance < length) {
        for (unsigned i = 0; i < length; ++i)
            target[i] = from[i];
    } else {
        std::memcpy(target, from, length);
    }
    position_ += length;
    if (position_ >= kFlushAt) Slide();
}

void TInflateWindow::Commit(size_t byteCount) {
    position_ += byteCount;
    if (position_ >= kFlushAt) Slide();
}

void TInflateWindow::Emit(size_t byteCount) {
    if (written_ + static_cast<int64_t>(byteCount) > maxOutput_)
        throw EInflateError("Inflated data too large");
    if (output_.Write(data_.data(), static_cast<int64_t>(byteCount)) != static_cast<int64_t>(byteCount))
        throw EInflateError("Cannot write inflated data");
    written_ += static_cast<int64_t>(byteCount);
}

void TInflateWindow::Slide() {
    Emit(kSlide);
    std::memmove(data_.data(), data_.data() + kSlide, position_ - kSlide);
    position_ -= kSlide;
}

void TInflateWindow::Finish() {
    Emit(position_);
    position_ = 0;
}

} // namespace qv::skin
