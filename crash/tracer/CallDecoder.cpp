#include "crash/tracer/CallDecoder.h"

#include "crash/tracer/CodeReader.h"
#include "crash/tracer/MemoryReader.h"

#include <Zydis/Zydis.h>

namespace qv::crash {

namespace {

struct TDecoded {
    ZydisDecodedInstruction instruction;
    ZydisDecodedOperand operands[ZYDIS_MAX_OPERAND_COUNT];
};

// The longest call: an optional REX prefix, FF, ModRM, SIB and a 32-bit displacement.
constexpr unsigned kMaxCallLength = 8;

std::optional<TDecoded> Decode(uintptr_t address, size_t size) {
    uint8_t bytes[ZYDIS_MAX_INSTRUCTION_LENGTH];
    if (size > sizeof bytes || !TCodeReader::TryRead(address, bytes, size)) return std::nullopt;
    ZydisDecoder decoder;
    ZydisDecoderInit(&decoder, ZYDIS_MACHINE_MODE_LONG_64, ZYDIS_STACK_WIDTH_64);
    TDecoded decoded;
    if (ZYAN_FAILED(ZydisDecoderDecodeFull(&decoder, bytes, size, &decoded.instruction, decoded.operands)))
        return std::nullopt;
    return decoded;
}

// A direct target, or one read through a pointer at a fixed address; 0 when neither.
uintptr_t TargetOf(const TDecoded& decoded, uintptr_t address) {
    const ZydisDecodedOperand& operand = decoded.operands[0];
    ZyanU64 absolute = 0;
    if (operand.type == ZYDIS_OPERAND_TYPE_IMMEDIATE && operand.imm.is_relative) {
        if (ZYAN_SUCCESS(ZydisCalcAbsoluteAddress(&decoded.instruction, &operand, address, &absolute)))
            return static_cast<uintptr_t>(absolute);
        return 0;
    }
    if (operand.type != ZYDIS_OPERAND_TYPE_MEMORY || operand.mem.index != ZYDIS_REGISTER_NONE ||
        (operand.mem.base != ZYDIS_REGISTER_RIP && operand.mem.base != ZYDIS_REGISTER_NONE))
        return 0;
    if (ZYAN_FAILED(ZydisCalcAbsoluteAddress(&decoded.instruction, &operand, address, &absolute))) return 0;
    uintptr_t pointer = 0;
    return TMemoryReader::TryRead(static_cast<uintptr_t>(absolute), &pointer, sizeof pointer) ? pointer : 0;
}

} // namespace

std::optional<TCallSite> TCallDecoder::CallBefore(uintptr_t returnAddress) {
    for (unsigned length = 2; length <= kMaxCallLength; ++length) {
        if (returnAddress < length) break;
        const uintptr_t site = returnAddress - length;
        const auto decoded = Decode(site, length);
        if (!decoded || decoded->instruction.length != length ||
            decoded->instruction.meta.category != ZYDIS_CATEGORY_CALL)
            continue;
        return TCallSite{site, returnAddress, TargetOf(*decoded, site)};
    }
    return std::nullopt;
}

uintptr_t TCallDecoder::FinalTarget(uintptr_t target) {
    // A linkage stub is at most "endbr64; bnd jmp [rip + x]"; two hops cover the lazy-binding form.
    for (int hop = 0; hop < 2 && target != 0; ++hop) {
        uintptr_t address = target;
        std::optional<TDecoded> decoded;
        for (int i = 0; i < 2; ++i) {
            decoded = Decode(address, ZYDIS_MAX_INSTRUCTION_LENGTH);
            if (!decoded || decoded->instruction.mnemonic != ZYDIS_MNEMONIC_ENDBR64) break;
            address += decoded->instruction.length;
        }
        if (!decoded || decoded->instruction.meta.category != ZYDIS_CATEGORY_UNCOND_BR ||
            decoded->operands[0].type != ZYDIS_OPERAND_TYPE_MEMORY)
            return target;
        const uintptr_t next = TargetOf(*decoded, address);
        if (next == 0) return target;
        target = next;
    }
    return target;
}

} // namespace qv::crash
