#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::crash {

// The scrambling of a packed symbol package's payload: a keyed byte stream laid over the payload
// with XOR, so that one call scrambles and the same call unscrambles. The key is built at run time
// from the word "QUORVA" and the payload's length: the letters are folded into a 32-bit state that
// starts at the length; each byte then advances the state as a linear congruential generator
// (x * 1664525 + 1013904223) and takes its top byte XOR the next letter of the word. It keeps the
// tables from being read at a glance, nothing more; it is no protection.
class TSymbolCipher {
public:
    static void Apply(uint8_t* data, size_t size);
};

} // namespace qv::crash
