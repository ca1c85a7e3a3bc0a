#include "http/IdBuffer.h"

#include <algorithm>
#include <cstring>

namespace qv::http {

TIdBuffer::TIdBuffer(int64_t size) {
    SetSize(size);
}

int64_t TIdBuffer::Read(void* buffer, int64_t count) {
    const int64_t n = std::clamp<int64_t>(count, 0, std::max<int64_t>(0, Size() - position_));
    if (n > 0) std::memcpy(buffer, Memory() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TIdBuffer::Write(const void* buffer, int64_t count) {
    if (count <= 0 || position_ < 0) return 0;
    if (position_ + count > Size()) SetSize(position_ + count);
    std::memcpy(Memory() + position_, buffer, static_cast<size_t>(count));
    position_ += count;
    return count;
}

void TIdBuffer::SetSize(int64_t size) {
    data_.resize(start_ + static_cast<size_t>(std::max<int64_t>(0, size)));
    position_ = std::min(position_, Size());
}

void TIdBuffer::Append(const void* bytes, int64_t count) {
    if (count > 0) data_.append(static_cast<const char*>(bytes), static_cast<size_t>(count));
}

void TIdBuffer::Remove(int64_t count) {
    const int64_t n = std::clamp<int64_t>(count, 0, Size());
    start_ += static_cast<size_t>(n);
    position_ = std::max<int64_t>(0, position_ - n);
    // Moving the rest only once the removed part outweighs it keeps each byte moved a bounded
    // number of times.
    if (start_ == data_.size() || start_ > data_.size() / 2) Compact();
}

std::string TIdBuffer::Release() {
    Compact();
    std::string content;
    content.swap(data_);
    position_ = 0;
    return content;
}

void TIdBuffer::Compact() {
    data_.erase(0, start_);
    start_ = 0;
}

} // namespace qv::http
