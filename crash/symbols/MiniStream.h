#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qv::crash {

// A read-only view of memory with a position. Every read checks the bytes that remain and throws
// EMiniStreamError instead of running past the end, so a damaged table can never be over-read.
class TMiniStream {
public:
    TMiniStream(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}

    size_t Size() const { return size_; }
    size_t Position() const { return position_; }
    size_t Remaining() const { return size_ - position_; }

    uint8_t ReadByte();
    uint32_t ReadUInt32();
    // One signed byte, or the byte -128 followed by a 32-bit value.
    int32_t ReadPackedInt();
    // A length byte followed by that many characters.
    std::string ReadPackedString();
    // Throws unless count entries of at least minBytes each can still follow.
    void RequireEntries(uint32_t count, size_t minBytes) const;

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;

    void Require(size_t count) const;
};

} // namespace qv::crash
