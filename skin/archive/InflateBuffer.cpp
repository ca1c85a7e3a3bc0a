#include "skin/archive/InflateBuffer.h"

#include "skin/archive/EInflateError.h"

namespace qv::skin {

void TInflateBuffer::Full() {
    throw EInflateError("Inflated data too large");
}

void TInflateBuffer::Copy(unsigned distance, unsigned length) {
    if (distance == 0 || distance > position_) throw EInflateError("Invalid match distance");
    if (length > size_ - position_) Full();
    uint8_t* const target = data_ + position_;
    if (size_ - position_ >= length + kCopySlack) {
        CopyMatch(target, distance, length);
    } else {
        // Near the end the copy goes byte by byte, so that it stays inside the buffer.
        const uint8_t* const from = target - distance;
        for (unsigned i = 0; i < length; ++i)
            target[i] = from[i];
    }
    position_ += length;
}

size_t TInflateBuffer::Room() const {
    if (position_ == size_) Full();
    return size_ - position_;
}

} // namespace qv::skin
