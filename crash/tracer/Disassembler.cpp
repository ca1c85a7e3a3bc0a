#include "crash/tracer/Disassembler.h"

#include "crash/symbols/SymbolLookup.h"
#include "crash/tracer/CallDecoder.h"
#include "crash/tracer/FunctionCache.h"
#include "crash/tracer/MemoryReader.h"
#include "framework/Format.h"

#include <Zydis/Zydis.h>
#include <algorithm>
#include <vector>

namespace qv::crash {

using qv::framework::Format;

namespace {

std::string Hex(uintptr_t value) {
    return Format("%lx", static_cast<unsigned long>(value));
}

std::string Label(uintptr_t address) {
    return "loc_" + Hex(address);
}

class TListing {
public:
    TListing(const TFunctionInfo& function, uintptr_t address, const TDisasmOptions& options)
        : function_(function), address_(address), options_(options) {
        ZydisDecoderInit(&decoder_, ZYDIS_MACHINE_MODE_LONG_64, ZYDIS_STACK_WIDTH_64);
        ZydisFormatterInit(&formatter_, ZYDIS_FORMATTER_STYLE_INTEL);
        ZydisFormatterSetProperty(&formatter_, ZYDIS_FORMATTER_PROP_HEX_UPPERCASE, ZYAN_FALSE);
        ZydisFormatterSetProperty(&formatter_, ZYDIS_FORMATTER_PROP_ADDR_PADDING_ABSOLUTE,
                                  ZYDIS_PADDING_DISABLED);
    }

    std::string Compose() {
        const std::string name = PublicNameAt(function_.start);
        text_ = name.empty() ? "sub_" + Hex(function_.start) : "public " + name;
        const std::vector<bool> shown = Selection();
        bool gap = false;
        for (size_t i = 0; i < function_.instructions.size(); ++i) {
            if (!shown[i]) {
                gap = true;
                continue;
            }
            if (gap) Line("[...]");
            gap = false;
            Instruction(function_.instructions[i]);
        }
        if (gap) Line("[...]");
        if (options_.wholeFunction)
            for (const TCaseTable& table : function_.caseTables)
                CaseTable(table);
        return text_;
    }

private:
    const TFunctionInfo& function_;
    uintptr_t address_;
    TDisasmOptions options_;
    ZydisDecoder decoder_{};
    ZydisFormatter formatter_{};
    std::string text_;
    int32_t lastLine_ = 0;

    void Line(const std::string& line) { text_ += "\r\n" + line; }

    // The instruction holding the address: the last one starting at or before it.
    size_t Marked() const {
        const auto& starts = function_.instructions;
        const auto it = std::upper_bound(starts.begin(), starts.end(), address_);
        return it == starts.begin() ? starts.size() : static_cast<size_t>(it - starts.begin() - 1);
    }

    std::vector<bool> Selection() const {
        const size_t count = function_.instructions.size();
        std::vector<bool> shown(count, options_.wholeFunction);
        const auto context = static_cast<size_t>(std::max(options_.context, 0));
        for (size_t i = 0; i < std::min(context, count); ++i)
            shown[i] = true;
        const size_t marked = Marked();
        if (marked < count)
            for (size_t i = marked > context ? marked - context : 0;
                 i <= std::min(marked + context, count - 1); ++i)
                shown[i] = true;
        return shown;
    }

    void Instruction(uintptr_t at) {
        if (std::binary_search(function_.labels.begin(), function_.labels.end(), at)) Line(Label(at) + ":");
        if (const auto location = Locate(at);
            location && location->line != 0 && location->line != lastLine_) {
            lastLine_ = location->line;
            Line("; line " + std::to_string(lastLine_));
        }
        const bool marked = at <= address_ && address_ - at < InstructionLength(at);
        std::string line = Format("%08lx %s ", static_cast<unsigned long>(at), marked ? ">" : " ") + Text(at);
        if (at == function_.start) line += " ; function entry point";
        Line(line);
    }

    size_t InstructionLength(uintptr_t at) const {
        const auto it = std::upper_bound(function_.instructions.begin(), function_.instructions.end(), at);
        return it == function_.instructions.end() ? 1 : *it - at;
    }

    std::string Text(uintptr_t at) {
        uint8_t bytes[ZYDIS_MAX_INSTRUCTION_LENGTH];
        size_t size = sizeof bytes;
        while (size > 0 && !TMemoryReader::TryRead(at, bytes, size))
            --size;
        ZydisDecodedInstruction instruction;
        ZydisDecodedOperand operands[ZYDIS_MAX_OPERAND_COUNT];
        if (ZYAN_FAILED(ZydisDecoderDecodeFull(&decoder_, bytes, size, &instruction, operands)))
            return "db ?";
        char buffer[256];
        if (ZYAN_FAILED(ZydisFormatterFormatInstruction(&formatter_, &instruction, operands,
                                                        instruction.operand_count_visible, buffer,
                                                        sizeof buffer, at, nullptr)))
            return "db ?";
        std::string text = buffer;
        NameTarget(at, instruction, text);
        return text;
    }

    // Jumps within the function name their label; calls name the function they lead to.
    void NameTarget(uintptr_t at, const ZydisDecodedInstruction& instruction, std::string& text) const {
        const TJumpSite* jump = nullptr;
        for (const TJumpSite& site : function_.jumps)
            if (site.site == at && site.target != 0) jump = &site;
        if (jump != nullptr && function_.ContainsCode(jump->target)) {
            const std::string target = "0x" + Hex(jump->target);
            if (const size_t found = text.find(target); found != std::string::npos)
                text.replace(found, target.size(), Label(jump->target));
            return;
        }
        if (instruction.meta.category != ZYDIS_CATEGORY_CALL) return;
        const auto call = std::find_if(function_.calls.begin(), function_.calls.end(),
                                       [&](const TCallSite& c) { return c.site == at; });
        if (call == function_.calls.end() || call->target == 0) return;
        const std::string name = PublicNameAt(TCallDecoder::FinalTarget(call->target));
        if (!name.empty()) text += " ; " + name;
    }

    // Position-independent code keeps 32-bit offsets from the table's start; other code keeps
    // 64-bit addresses.
    void CaseTable(const TCaseTable& table) {
        for (uint32_t i = 0; i < table.count; ++i) {
            int32_t offset = 0;
            uintptr_t at = table.address + i * sizeof offset;
            if (!TMemoryReader::TryRead(at, &offset, sizeof offset)) return;
            uintptr_t target = table.address + static_cast<uintptr_t>(static_cast<intptr_t>(offset));
            const char* directive = "dd";
            if (!function_.ContainsCode(target)) {
                at = table.address + i * sizeof target;
                if (!TMemoryReader::TryRead(at, &target, sizeof target)) return;
                directive = "dq";
            }
            Line(Format("%08lx   %s ", static_cast<unsigned long>(at), directive) + Label(target) +
                 " ; case jump table");
        }
    }
};

} // namespace

std::string TDisassembler::Disassemble(uintptr_t address, const TDisasmOptions& options) {
    const auto location = Locate(address);
    if (!location || location->functionStart == 0) return kFailure;
    const TFunctionInfo& function = TFunctionCache::Instance().Function(location->functionStart);
    if (function.invalid) return kFailure;
    return TListing(function, address, options).Compose();
}

} // namespace qv::crash
