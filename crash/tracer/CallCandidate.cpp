#include "crash/tracer/CallCandidate.h"

#include "crash/symbols/ModuleCache.h"
#include "crash/tracer/CodeReader.h"

namespace qv::crash {

namespace {

// The length of an FF /2 or FF /3 call from its ModRM byte on, or 0 when ModRM does not encode
// one: mod and r/m decide whether a SIB byte and an 8- or 32-bit displacement follow. A REX
// prefix in front changes neither, since the r12 and r13 forms keep the SIB and displacement.
unsigned IndirectCallLength(uint8_t modrm, uint8_t sib) {
    const unsigned reg = (modrm >> 3) & 7;
    const unsigned mod = modrm >> 6;
    // A far call takes its target from memory only.
    if (reg != 2 && (reg != 3 || mod == 3)) return 0;
    const unsigned rm = modrm & 7;
    const bool hasSib = mod != 3 && rm == 4;
    unsigned length = 2 + (hasSib ? 1 : 0);
    if (mod == 1) length += 1;
    if (mod == 2) length += 4;
    if (mod == 0 && rm == 5) length += 4;
    if (mod == 0 && hasSib && (sib & 7) == 5) length += 4;
    return length;
}

} // namespace

bool TCallCandidate::EndsWithCall(const uint8_t (&before)[kLookBehind]) {
    // before[kLookBehind - n] is the byte at value - n.
    auto at = [&](unsigned n) { return before[kLookBehind - n]; };
    if (at(5) == 0xE8) return true;
    for (unsigned length = 2; length <= 7; ++length) {
        if (at(length) != 0xFF) continue;
        const uint8_t sib = length >= 3 ? at(length - 2) : 0;
        if (IndirectCallLength(at(length - 1), sib) == length) return true;
    }
    return false;
}

bool TCallCandidate::IsReturnAddress(uintptr_t value) {
    if (value <= 7) return false;
    const TModuleInfo* module = TModuleCache::Instance().FindModule(value);
    if (module == nullptr || !module->ContainsCode(value - 1)) return false;
    uint8_t before[kLookBehind];
    if (!TCodeReader::TryRead(value - kLookBehind, before, sizeof before)) return false;
    return EndsWithCall(before);
}

} // namespace qv::crash
