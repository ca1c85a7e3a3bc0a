#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::crash {

// Reads memory of this process that may not be mapped: a bad address makes the read fail and
// never raises a fault, so stacks and code can be inspected while the process is in trouble.
class TMemoryReader {
public:
    static bool TryRead(uintptr_t address, void* buffer, size_t size);
    // The way TryRead takes where process_vm_readv is forbidden: the bytes pass through a pipe.
    static bool TryReadThroughPipe(uintptr_t address, void* buffer, size_t size);
};

} // namespace qv::crash
