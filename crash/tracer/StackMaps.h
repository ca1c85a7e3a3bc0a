#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::crash {

// The mappings of this process, read once so that a stack's bounds can be looked up later without
// a lock or an allocation, such as while a thread is held.
class TStackMaps {
public:
    // Reads /proc/self/maps with plain reads: no stdio, whose locks a held thread may own.
    static TStackMaps Read();
    // The mappings of a maps text: lines that begin "start-end" in hexadecimal.
    static TStackMaps Parse(const std::string& text);
    // StackTop as /proc/self/maps tells it now, read without allocating anything: for a holder
    // whose earlier reading no longer fits the held thread.
    static uintptr_t ScanStackTop(uintptr_t stackPointer, uintptr_t threadPointer);

    // The end of the mapping that holds the stack pointer, capped at the thread pointer when that
    // lies inside it (a thread's control block tops its stack); 0 when no mapping holds it.
    uintptr_t StackTop(uintptr_t stackPointer, uintptr_t threadPointer) const;

private:
    struct TRange {
        uintptr_t start;
        uintptr_t end;
    };
    std::vector<TRange> ranges_;
};

} // namespace qv::crash
