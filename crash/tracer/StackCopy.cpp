#include "crash/tracer/StackCopy.h"

#include "crash/tracer/MemoryReader.h"

#include <cstring>

namespace qv::crash {

std::optional<TStackCopy> TStackCopy::FromMemory(uintptr_t low, uintptr_t high) {
    low &= ~(sizeof(uintptr_t) - 1);
    if (low == 0 || high <= low) return std::nullopt;
    std::vector<uintptr_t> slots((high - low) / sizeof(uintptr_t));
    if (!TMemoryReader::TryRead(low, slots.data(), slots.size() * sizeof(uintptr_t))) return std::nullopt;
    return TStackCopy(low, std::move(slots));
}

bool TStackCopy::Read(uintptr_t address, void* buffer, size_t size) const {
    if (!Contains(address, size)) return false;
    std::memcpy(buffer, reinterpret_cast<const char*>(slots_.data()) + (address - low_), size);
    return true;
}

bool TStackCopy::ReadAny(uintptr_t address, void* buffer, size_t size) const {
    return Read(address, buffer, size) || TMemoryReader::TryRead(address, buffer, size);
}

} // namespace qv::crash
