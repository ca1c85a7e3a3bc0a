#include "crash/tracer/StackTracer.h"

#include "crash/symbols/MapFileCache.h"
#include "crash/symbols/SymbolLookup.h"
#include "crash/tracer/CallCandidate.h"
#include "crash/tracer/CallDecoder.h"
#include "crash/tracer/CodeReader.h"
#include "crash/tracer/FrameChain.h"
#include "crash/tracer/FunctionCache.h"
#include "crash/tracer/LinkChains.h"
#include "crash/tracer/StackRepetitions.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace qv::crash {

namespace {

// Frames of the exception and signal machinery, which say nothing about where the program was.
constexpr std::array<std::string_view, 10> kMachinery = {"__cxa_throw",
                                                         "__cxa_rethrow",
                                                         "_Unwind_RaiseException",
                                                         "_Unwind_Resume",
                                                         "_Unwind_Resume_or_Rethrow",
                                                         "_Unwind_ForcedUnwind",
                                                         "__gxx_personality_v0",
                                                         "__restore_rt",
                                                         "std::rethrow_exception",
                                                         "__cxa_call_unexpected"};

// The signal trampoline the kernel returns through: "mov rax, 15 (rt_sigreturn); syscall".
constexpr uint8_t kSignalReturn[] = {0x48, 0xC7, 0xC0, 0x0F, 0x00, 0x00, 0x00, 0x0F, 0x05};

bool IsSignalTrampoline(uintptr_t address) {
    uint8_t code[sizeof kSignalReturn];
    return TCodeReader::TryRead(address, code, sizeof code) &&
           std::memcmp(code, kSignalReturn, sizeof code) == 0;
}

void SetCallTarget(TStackItem& item, uintptr_t target) {
    item.callTarget = TCallDecoder::FinalTarget(target);
    if (item.callTarget != 0) item.callTargetName = PublicNameAt(item.callTarget);
}

} // namespace

std::string TStackTracer::InternalErrorNote(const std::string& stage) {
    return ">> internal error in " + stage;
}

std::string TStackTracer::Trace() {
    using TStage = void (TStackTracer::*)();
    static constexpr std::pair<const char*, TStage> kStages[] = {
        {"CollectPossibleStackItems", &TStackTracer::CollectPossibleStackItems},
        {"RemoveRecursiveStackAreas", &TStackTracer::RemoveRecursiveStackAreas},
        {"InDeepChecks", &TStackTracer::InDeepChecks},
        {"RealizeOptimalLinkChains", &TStackTracer::RealizeOptimalLinkChains},
        {"RemoveRecursiveAreas", &TStackTracer::RemoveRecursiveAreas},
        {"FillFinalOutput", &TStackTracer::FillFinalOutput},
        {"ComposeResult", &TStackTracer::ComposeResult}};
    for (const auto& [name, stage] : kStages) {
        try {
            (this->*stage)();
        } catch (...) {
            return InternalErrorNote(name);
        }
        if (!stackReadable_) return kNotAccessible;
    }
    return result_;
}

void TStackTracer::Progress(int value) const {
    if (input_.progress) input_.progress(value);
}

void TStackTracer::Describe(TStackItem& item) const {
    item.module = TModuleCache::Instance().FindModule(item.address);
    if (item.module == nullptr) return;
    item.moduleHasSymbols = TMapFileCache::Instance().HasSymbols(*item.module);
    const TLocation location = LocateInModule(*item.module, item.LookupAddress());
    item.functionStart = location.functionStart;
    item.functionName = location.functionName;
    item.hasLine = location.line != 0;
}

void TStackTracer::AddStackValue(uintptr_t value, uintptr_t slot, bool anchored) {
    TStackItem item;
    item.address = value;
    item.slot = slot;
    item.anchored = anchored;
    for (size_t i = 0; i < input_.callFrames.size(); ++i)
        if (input_.callFrames[i].slot == slot && input_.callFrames[i].address == value)
            item.unwound = static_cast<int>(i) + 1;
    Describe(item);
    if (item.functionStart != 0) {
        const TFunctionInfo& function = TFunctionCache::Instance().Function(item.functionStart);
        if (!function.invalid) {
            if (const TCallSite* call = function.CallReturningTo(value)) {
                item.confirmed = true;
                SetCallTarget(item, call->target);
            } else if (item.moduleHasSymbols && !anchored) {
                // The symbols name the function for sure, and it makes no call returning here.
                return;
            }
        }
    }
    items_.push_back(std::move(item));
}

void TStackTracer::AddCertainItem(uintptr_t address, bool afterCall) {
    TStackItem item;
    item.address = address;
    item.certain = true;
    item.afterCall = afterCall;
    item.anchored = true;
    Describe(item);
    if (item.functionStart != 0) {
        const TFunctionInfo& function = TFunctionCache::Instance().Function(item.functionStart);
        item.confirmed =
            !function.invalid && function.IsInstructionStart(address) && function.ContainsCode(address);
    }
    items_.push_back(std::move(item));
}

std::vector<uintptr_t> TStackTracer::ChainSlots() const {
    std::vector<uintptr_t> slots;
    // A frame pointer register that holds something else leads nowhere sensible: the chain counts
    // only as long as its return addresses look like ones.
    for (const TChainFrame& frame : TFrameChain::Walk(input_.framePointer, stack_)) {
        if (!TCallCandidate::IsReturnAddress(frame.address)) break;
        slots.push_back(frame.slot);
    }
    for (const TChainFrame& frame : input_.callFrames)
        if (frame.slot != 0) slots.push_back(frame.slot);
    std::sort(slots.begin(), slots.end());
    return slots;
}

void TStackTracer::CollectPossibleStackItems() {
    Progress(0);
    if (input_.creatorAddress != 0) AddCertainItem(input_.creatorAddress, true);
    std::optional<TStackCopy> copy = std::move(input_.stack);
    if (!copy) copy = TStackCopy::FromMemory(input_.stackPointer, input_.stackTop);
    if (!copy || copy->Slots().empty()) {
        stackReadable_ = false;
        return;
    }
    stack_ = std::move(*copy);
    const std::vector<uintptr_t>& stack = stack_.Slots();
    const uintptr_t low = stack_.Low();
    const std::vector<uintptr_t> anchors = ChainSlots();
    // The copy may reach below the stack pointer the trace starts at: frames that are left.
    const size_t first = input_.stackPointer > low ? (input_.stackPointer - low + 7) / sizeof(uintptr_t) : 0;
    for (size_t n = stack.size(); n-- > first;) {
        const uintptr_t slot = low + n * sizeof(uintptr_t);
        const bool anchored = std::binary_search(anchors.begin(), anchors.end(), slot);
        if (anchored || TCallCandidate::IsReturnAddress(stack[n])) AddStackValue(stack[n], slot, anchored);
        if (n % 1024 == 0) Progress(static_cast<int>(25 * (stack.size() - n) / stack.size()));
    }
    AddCertainItem(input_.exceptionAddress, input_.exceptionAfterCall);
    // The call-frame chain starts at this very point.
    if (!input_.callFrames.empty()) items_.back().unwound = 0;
    Progress(25);
}

void TStackTracer::RemoveRecursiveStackAreas() {
    RemoveStackRepetitions(items_);
}

void TStackTracer::InDeepChecks() {
    for (size_t i = 0; i < items_.size(); ++i) {
        TStackItem& item = items_[i];
        if (!item.invalid && !item.certain && !item.confirmed) {
            // No analysed function vouches for the value: the call before it must at least decode.
            if (const auto call = TCallDecoder::CallBefore(item.address))
                SetCallTarget(item, call->target);
            else if (!item.anchored)
                item.invalid = true;
        }
        Progress(25 + static_cast<int>(625 * (i + 1) / items_.size()));
    }
}

void TStackTracer::RealizeOptimalLinkChains() {
    if (input_.options.skipLinkChains) return;
    // The last step belongs to ComposeResult.
    TLinkChains::Realize(items_, [this](int value) { Progress(650 + value * 349 / 1000); });
}

void TStackTracer::RemoveRecursiveAreas() {
    RemoveStackRepetitions(items_);
}

bool TStackTracer::HiddenMachinery(const TStackItem& item) const {
    if (item.certain) return false;
    if (IsSignalTrampoline(item.address)) return true;
    const std::string& name = item.output.functionName;
    return std::find(kMachinery.begin(), kMachinery.end(), name) != kMachinery.end();
}

void TStackTracer::FillFinalOutput() {
    const TStackItem* outer = nullptr;
    for (TStackItem& item : items_) {
        if (item.invalid) continue;
        TStackLine& line = item.output;
        line.address = item.address;
        line.moduleName = item.module != nullptr ? item.module->fileName : "???";
        if (item.module != nullptr) {
            const TLocation location = LocateInModule(*item.module, item.LookupAddress());
            line.unitName = location.unitName;
            line.line = location.line;
            line.functionStart = location.functionStart;
            line.functionName = location.functionName;
            // Without symbols for the function, the call that leads into it still names its start.
            if (line.functionStart == 0 && outer != nullptr && outer->callTarget != 0 &&
                outer->callTarget <= item.address && item.module->ContainsCode(outer->callTarget)) {
                line.functionStart = outer->callTarget;
                line.functionName = PublicNameAt(outer->callTarget);
            }
            const int32_t firstLine =
                line.functionStart != 0 ? LocateInModule(*item.module, line.functionStart).line : 0;
            if (line.line != 0 && firstLine != 0) line.relativeLine = line.line - firstLine;
        }
        outer = &item;
        if (HiddenMachinery(item)) item.invalid = true;
    }
}

void TStackTracer::ComposeResult() {
    std::vector<TStackLine> lines;
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        const TStackItem& item = *it;
        if (item.invalid) continue;
        if (!item.certain) {
            if (item.output.functionName.empty() && !item.anchored) continue;
            if (!lines.empty() && lines.back().address == item.address) continue;
            if (input_.options.onlyWithLines && item.output.line == 0) continue;
        }
        lines.push_back(item.output);
    }
    result_ = ComposeStackLines(lines, input_.options);
    Progress(1000);
}

} // namespace qv::crash
