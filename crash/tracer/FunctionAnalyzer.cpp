#include "crash/tracer/FunctionAnalyzer.h"

#include "crash/tracer/MemoryReader.h"

#include <Zydis/Zydis.h>
#include <algorithm>
#include <optional>

namespace qv::crash {

namespace {

constexpr uintptr_t kPage = 4096;

// The readable part of [start, start + size), read page by page once the whole range fails.
std::vector<uint8_t> ReadCode(uintptr_t start, uintptr_t size) {
    std::vector<uint8_t> code(size);
    if (TMemoryReader::TryRead(start, code.data(), size)) return code;
    size_t readable = 0;
    while (readable < size) {
        const size_t chunk = std::min<size_t>(size - readable, kPage - (start + readable) % kPage);
        if (!TMemoryReader::TryRead(start + readable, code.data() + readable, chunk)) break;
        readable += chunk;
    }
    code.resize(readable);
    return code;
}

std::optional<uintptr_t> ReadPointer(uintptr_t address) {
    uintptr_t value = 0;
    if (!TMemoryReader::TryRead(address, &value, sizeof value)) return std::nullopt;
    return value;
}

class TAnalysis {
public:
    TAnalysis(uintptr_t start, std::vector<uint8_t> code)
        : start_(start), code_(std::move(code)), mark_(code_.size()) {
        ZydisDecoderInit(&decoder_, ZYDIS_MACHINE_MODE_LONG_64, ZYDIS_STACK_WIDTH_64);
        info_.start = start;
    }

    TFunctionInfo Run() {
        pending_.push_back(start_);
        while (!pending_.empty()) {
            const uintptr_t address = pending_.back();
            pending_.pop_back();
            Path(address);
        }
        Finish();
        return std::move(info_);
    }

private:
    enum : uint8_t { kNone, kStart, kCovered };

    uintptr_t start_;
    std::vector<uint8_t> code_;
    std::vector<uint8_t> mark_;
    std::vector<uintptr_t> pending_;
    ZydisDecoder decoder_{};
    TFunctionInfo info_;
    // What the current path last compared with a constant and loaded as a table address; together
    // they make a switch: "cmp index, n-1; ja default; lea base, [table]; ...; jmp target".
    std::optional<uint64_t> lastCompare_;
    std::optional<uintptr_t> lastTable_;

    bool Inside(uintptr_t address) const { return address >= start_ && address - start_ < code_.size(); }

    void Path(uintptr_t address) {
        lastCompare_.reset();
        lastTable_.reset();
        while (Inside(address) && mark_[address - start_] == kNone) {
            const size_t offset = address - start_;
            ZydisDecodedInstruction instruction;
            ZydisDecodedOperand operands[ZYDIS_MAX_OPERAND_COUNT];
            if (ZYAN_FAILED(ZydisDecoderDecodeFull(&decoder_, code_.data() + offset, code_.size() - offset,
                                                   &instruction, operands)))
                return;
            if (std::any_of(mark_.begin() + static_cast<std::ptrdiff_t>(offset),
                            mark_.begin() + static_cast<std::ptrdiff_t>(offset + instruction.length),
                            [](uint8_t m) { return m != kNone; }))
                return;
            mark_[offset] = kStart;
            std::fill_n(mark_.begin() + static_cast<std::ptrdiff_t>(offset) + 1, instruction.length - 1,
                        kCovered);
            const uintptr_t next = address + instruction.length;
            if (!Instruction(address, next, instruction, operands)) return;
            address = next;
        }
    }

    // Records one instruction; false when the path does not go on after it.
    bool Instruction(uintptr_t address, uintptr_t next, const ZydisDecodedInstruction& instruction,
                     const ZydisDecodedOperand* operands) {
        const ZydisDecodedOperand& first = operands[0];
        switch (instruction.meta.category) {
        case ZYDIS_CATEGORY_CALL:
            info_.calls.push_back({address, next, Target(instruction, first, address).value_or(0)});
            return true;
        case ZYDIS_CATEGORY_COND_BR:
            Jump(address, Target(instruction, first, address));
            return true;
        case ZYDIS_CATEGORY_UNCOND_BR:
            if (!CaseTable(address, first)) Jump(address, Target(instruction, first, address));
            return false;
        case ZYDIS_CATEGORY_RET:
            return false;
        default:
            break;
        }
        switch (instruction.mnemonic) {
        case ZYDIS_MNEMONIC_INT3:
        case ZYDIS_MNEMONIC_UD2:
        case ZYDIS_MNEMONIC_HLT:
            return false;
        case ZYDIS_MNEMONIC_CMP:
            if (instruction.operand_count_visible == 2 && operands[1].type == ZYDIS_OPERAND_TYPE_IMMEDIATE)
                lastCompare_ = operands[1].imm.value.u;
            return true;
        case ZYDIS_MNEMONIC_LEA:
            if (operands[1].type == ZYDIS_OPERAND_TYPE_MEMORY && operands[1].mem.base == ZYDIS_REGISTER_RIP)
                lastTable_ = Absolute(instruction, operands[1], address);
            return true;
        default:
            return true;
        }
    }

    static std::optional<uintptr_t> Absolute(const ZydisDecodedInstruction& instruction,
                                             const ZydisDecodedOperand& operand, uintptr_t address) {
        ZyanU64 result = 0;
        if (ZYAN_FAILED(ZydisCalcAbsoluteAddress(&instruction, &operand, address, &result)))
            return std::nullopt;
        return static_cast<uintptr_t>(result);
    }

    // A branch target: direct, or read through a pointer at a fixed address.
    static std::optional<uintptr_t> Target(const ZydisDecodedInstruction& instruction,
                                           const ZydisDecodedOperand& operand, uintptr_t address) {
        if (operand.type == ZYDIS_OPERAND_TYPE_IMMEDIATE && operand.imm.is_relative)
            return Absolute(instruction, operand, address);
        if (operand.type == ZYDIS_OPERAND_TYPE_MEMORY && operand.mem.index == ZYDIS_REGISTER_NONE &&
            (operand.mem.base == ZYDIS_REGISTER_RIP || operand.mem.base == ZYDIS_REGISTER_NONE))
            if (const auto pointer = Absolute(instruction, operand, address)) return ReadPointer(*pointer);
        return std::nullopt;
    }

    void Jump(uintptr_t site, std::optional<uintptr_t> target) {
        info_.jumps.push_back({site, target.value_or(0)});
        if (target && Inside(*target)) {
            info_.labels.push_back(*target);
            pending_.push_back(*target);
        }
    }

    // "jmp reg" after a table of 32-bit offsets from its own start, or "jmp [table + index * 8]".
    bool CaseTable(uintptr_t site, const ZydisDecodedOperand& operand) {
        if (!lastCompare_ || *lastCompare_ >= TFunctionAnalyzer::kMaxCaseCount) return false;
        const auto count = static_cast<uint32_t>(*lastCompare_ + 1);
        const bool relative = operand.type == ZYDIS_OPERAND_TYPE_REGISTER && lastTable_;
        const bool absolute = operand.type == ZYDIS_OPERAND_TYPE_MEMORY &&
                              operand.mem.base == ZYDIS_REGISTER_NONE &&
                              operand.mem.index != ZYDIS_REGISTER_NONE && operand.mem.scale == 8;
        if (!relative && !absolute) return false;
        const uintptr_t table = relative ? *lastTable_ : static_cast<uintptr_t>(operand.mem.disp.value);
        std::vector<uintptr_t> targets;
        for (uint32_t i = 0; i < count; ++i) {
            uintptr_t target = 0;
            if (relative) {
                int32_t entry = 0;
                if (!TMemoryReader::TryRead(table + i * 4u, &entry, sizeof entry)) return false;
                target = table + static_cast<uintptr_t>(static_cast<intptr_t>(entry));
            } else if (const auto pointer = ReadPointer(table + i * 8u)) {
                target = *pointer;
            }
            if (!Inside(target)) return false;
            targets.push_back(target);
        }
        info_.caseTables.push_back({table, count});
        for (uintptr_t target : targets)
            Jump(site, target);
        return true;
    }

    void Finish() {
        for (size_t i = 0; i < mark_.size(); ++i) {
            if (mark_[i] == kNone) continue;
            const uintptr_t address = start_ + i;
            if (mark_[i] == kStart) info_.instructions.push_back(address);
            if (!info_.areas.empty() && info_.areas.back().end == address)
                info_.areas.back().end = address + 1;
            else
                info_.areas.push_back({address, address + 1});
        }
        std::sort(info_.labels.begin(), info_.labels.end());
        info_.labels.erase(std::unique(info_.labels.begin(), info_.labels.end()), info_.labels.end());
        std::sort(info_.calls.begin(), info_.calls.end(),
                  [](const TCallSite& a, const TCallSite& b) { return a.returnAddress < b.returnAddress; });
        info_.invalid = info_.instructions.empty() || info_.instructions.front() != start_;
    }
};

} // namespace

TFunctionInfo TFunctionAnalyzer::Analyze(uintptr_t start, uintptr_t limit) {
    if (limit <= start) limit = start + kPage;
    TFunctionInfo info;
    info.start = start;
    std::vector<uint8_t> code = ReadCode(start, std::min(limit - start, kMaxFunctionSize));
    if (code.empty()) return info;
    return TAnalysis(start, std::move(code)).Run();
}

} // namespace qv::crash
