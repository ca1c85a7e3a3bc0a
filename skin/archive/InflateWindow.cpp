#include "skin/archive/InflateWindow.h"

#include "skin/archive/EInflateError.h"

#include <cstring>

namespace qv::skin {

namespace {
constexpr size_t kSlide = 32 * 1024;
}

TInflateWindow::TInflateWindow(framework::TStream& output, int64_t maxOutput)
    : output_(output), maxOutput_(maxOutput),
      data_(std::make_unique_for_overwrite<uint8_t[]>(kFlushAt + kMaxMatch + kCopySlack)) {}

void TInflateWindow::Copy(unsigned distance, unsigned length) {
    if (distance == 0 || distance > position_) throw EInflateError("Invalid match distance");
    CopyMatch(WritePointer(), distance, length);
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
    if (output_.Write(data_.get(), static_cast<int64_t>(byteCount)) != static_cast<int64_t>(byteCount))
        throw EInflateError("Cannot write inflated data");
    written_ += static_cast<int64_t>(byteCount);
}

void TInflateWindow::Slide() {
    Emit(kSlide);
    std::memmove(data_.get(), data_.get() + kSlide, position_ - kSlide);
    position_ -= kSlide;
}

void TInflateWindow::Finish() {
    Emit(position_);
    position_ = 0;
}

} // namespace qv::skin
