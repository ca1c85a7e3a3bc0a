#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::crash {

// Reads machine code of the loaded modules through a cache of whole pages. Code does not change
// while its module stays loaded, and a trace reads the same few pages hundreds of times, where
// each guarded read would be a system call. Bytes outside the modules' code are read directly.
class TCodeReader {
public:
    // Like TMemoryReader::TryRead.
    static bool TryRead(uintptr_t address, void* buffer, size_t size);
};

} // namespace qv::crash
