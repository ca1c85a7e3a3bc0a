#pragma once

#include <cstdint>

namespace qv::crash {

// Whether a stack value may be a return address: it lies in the code of a loaded module and the
// bytes before it end a call instruction.
class TCallCandidate {
public:
    // The bytes examined before a value: enough for the longest indirect call with a REX prefix.
    static constexpr unsigned kLookBehind = 8;

    // Reads the bytes before the value under a guard; an unreadable stretch fails the test.
    static bool IsReturnAddress(uintptr_t value);
    // The test on the bytes alone; before[kLookBehind - 1] is the byte just before the value.
    static bool EndsWithCall(const uint8_t (&before)[kLookBehind]);
};

} // namespace qv::crash
