#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace qv::crash {

// A copy of a thread's stack from its stack pointer up to its top. A trace works on a copy, so
// that the thread can go on (or, held still, be released) before the slow part of the trace runs.
class TStackCopy {
public:
    TStackCopy() = default;
    TStackCopy(uintptr_t low, std::vector<uintptr_t> slots) : low_(low), slots_(std::move(slots)) {}

    // Copies [low, high) of this process's memory; nothing when any of it cannot be read.
    static std::optional<TStackCopy> FromMemory(uintptr_t low, uintptr_t high);

    uintptr_t Low() const { return low_; }
    uintptr_t High() const { return low_ + slots_.size() * sizeof(uintptr_t); }
    const std::vector<uintptr_t>& Slots() const { return slots_; }
    bool Contains(uintptr_t address, size_t size) const {
        return address >= low_ && address <= High() && size <= High() - address;
    }
    // Reads from the copy; false when the range is not wholly inside it.
    bool Read(uintptr_t address, void* buffer, size_t size) const;
    // Reads from the copy where the range lies in it, else from the process's memory.
    bool ReadAny(uintptr_t address, void* buffer, size_t size) const;

private:
    uintptr_t low_ = 0;
    std::vector<uintptr_t> slots_;
};

} // namespace qv::crash
