#pragma once

#include "crash/tracer/ChainFrame.h"
#include "crash/tracer/StackCopy.h"
#include "crash/tracer/StackItem.h"
#include "crash/tracer/StackOptions.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qv::crash {

using TTraceProgress = std::function<void(int)>;

// What a trace starts from.
struct TTraceInput {
    // The stack from the stack pointer up to its top. Without a copy, the tracer copies the range
    // [stackPointer, stackTop) itself.
    uintptr_t stackPointer = 0;
    uintptr_t stackTop = 0;
    std::optional<TStackCopy> stack;
    uintptr_t framePointer = 0;
    // The exception address, or the thread's current instruction; always shown first.
    uintptr_t exceptionAddress = 0;
    // Set when exceptionAddress is a return address (a thread tracing itself stands after a call).
    bool exceptionAfterCall = false;
    // Where the thread was created; shown last. 0 when unknown.
    uintptr_t creatorAddress = 0;
    // The callers that call-frame information found; they anchor the chain like the frame pointers.
    std::vector<TChainFrame> callFrames;
    TStackOptions options;
    // Receives 0 to 1000.
    TTraceProgress progress;
};

// Rebuilds a thread's call chain from its raw stack and writes it as stack lines. Every stage runs
// under its own guard: a failure ends the trace with the internal error note for the stage.
class TStackTracer {
public:
    static constexpr const char* kNotAccessible = ">> stack not accessible";

    explicit TStackTracer(TTraceInput input) : input_(std::move(input)) {}
    std::string Trace();

    // ">> internal error in " + the stage's name.
    static std::string InternalErrorNote(const std::string& stage);
    // The items left after the last stage that ran, outermost first; for inspection.
    const std::vector<TStackItem>& Items() const { return items_; }

private:
    TTraceInput input_;
    std::vector<TStackItem> items_;
    TStackCopy stack_;
    bool stackReadable_ = true;
    std::string result_;

    void CollectPossibleStackItems();
    void RemoveRecursiveStackAreas();
    void InDeepChecks();
    void RealizeOptimalLinkChains();
    void RemoveRecursiveAreas();
    void FillFinalOutput();
    void ComposeResult();

    std::vector<uintptr_t> ChainSlots() const;
    void AddStackValue(uintptr_t value, uintptr_t slot, bool anchored);
    void AddCertainItem(uintptr_t address, bool afterCall);
    // Fills in the module and function of an item whose address and kind are set.
    void Describe(TStackItem& item) const;
    bool HiddenMachinery(const TStackItem& item) const;
    void Progress(int value) const;
};

} // namespace qv::crash
