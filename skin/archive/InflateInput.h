#pragma once

#include "framework/Stream.h"
#include "skin/archive/LittleEndian.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace qv::skin {

// The inflater's input: a 16 KiB buffer over the source stream, or the caller's bytes when the
// whole input is in memory, and a bit accumulator refilled one little-endian 32-bit word at a
// time, delivering bits least significant first. Past the end of the source it supplies zero
// bits so that a decoder may look ahead, but consuming any of them raises EInflateError: a
// truncated stream must fail rather than decode zeros forever.
class TInflateInput {
public:
    explicit TInflateInput(framework::TStream& source);
    // Reads the bytes in place; they must outlive the input.
    TInflateInput(const uint8_t* data, size_t size);

    // Guarantees at least 32 bits in the accumulator.
    void Need32() {
        if (count_ < 32) Refill();
    }
    // The next 32 bits; valid after Need32.
    uint32_t Peek() const { return static_cast<uint32_t>(bits_); }
    void Drop(unsigned bitCount) {
        bits_ >>= bitCount;
        count_ -= bitCount;
        if (count_ < padding_) Overrun();
    }
    uint32_t Take(unsigned bitCount) {
        Need32();
        const uint32_t value = Peek() & ((uint32_t{1} << bitCount) - 1);
        Drop(bitCount);
        return value;
    }
    void AlignToByte() { Drop(count_ % 8); }
    // Reads whole bytes after AlignToByte: first those still held in the accumulator.
    void ReadBytes(uint8_t* target, size_t byteCount);

    // The accumulator and the buffered input not yet in it, lent to a decoder that keeps them in
    // registers and refills straight from the buffer while at least kCursorMargin bytes remain.
    struct TCursor {
        uint64_t bits;
        unsigned count;
        const uint8_t* next;
        const uint8_t* end;

        // Tops the accumulator up to at least kCursorBits bits in one unaligned 64-bit load,
        // taking only the whole bytes that fit; the bits of a byte only partly taken are loaded
        // again, in the same place, by the next refill. Reads eight bytes and advances by at most
        // seven, so the caller makes sure that eight bytes remain.
        void Refill() {
            bits |= ReadU64(next) << count;
            next += (63 - count) >> 3;
            count |= kCursorBits;
        }
        void Drop(unsigned bitCount) {
            bits >>= bitCount;
            count -= bitCount;
        }
    };
    static constexpr unsigned kCursorBits = 56;
    TCursor Lend() const { return {bits_, count_, buffer_ + position_, buffer_ + end_}; }
    void Restore(const TCursor& cursor) {
        // Bits beyond the count belong to bytes still ahead in the buffer; Refill adds them anew.
        bits_ = cursor.bits & ((uint64_t{1} << cursor.count) - 1);
        count_ = cursor.count;
        position_ = static_cast<size_t>(cursor.next - buffer_);
    }

private:
    void Refill();
    void FillBuffer();
    [[noreturn]] static void Overrun();

    // None when the whole input is in memory.
    framework::TStream* source_ = nullptr;
    // Left uninitialised: only the part between position_ and end_ is ever read.
    std::unique_ptr<uint8_t[]> ownBuffer_;
    const uint8_t* buffer_;
    size_t position_ = 0;
    size_t end_ = 0;
    bool sourceEnded_ = false;
    uint64_t bits_ = 0;
    unsigned count_ = 0;
    // How many of the held bits, counted from the top, lie past the end of the source.
    unsigned padding_ = 0;
};

} // namespace qv::skin
