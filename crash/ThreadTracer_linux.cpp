#include "crash/ThreadTracer.h"

#include "crash/MemoryReader.h"
#include "crash/ThreadHold.h"
#include "crash/ThreadState.h"
#include "crash/symbols/ModuleCache.h"
#include "crash/symbols/SymbolLookup.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace qv::crash {

namespace {

// The runtime's routines that throw: the code that called one of them raised the exception.
constexpr std::array<std::string_view, 3> kThrowRoutines = {"__cxa_throw", "__cxa_rethrow",
                                                            "std::rethrow_exception"};

std::string TraceState(TThreadState state, const TStackOptions& options, const TTraceProgress& progress,
                       uintptr_t creatorAddress, bool afterCall) {
    TTraceInput input;
    input.stackPointer = state.stackPointer;
    input.stackTop = state.stack.High();
    input.framePointer = state.framePointer;
    input.exceptionAddress = state.instruction;
    input.exceptionAfterCall = afterCall;
    input.creatorAddress = creatorAddress;
    input.callFrames = std::move(state.callFrames);
    input.stack = std::move(state.stack);
    input.options = options;
    input.progress = progress;
    return TStackTracer(std::move(input)).Trace();
}

// Moves the state's start to the caller of the frame at index: the trace begins at that frame's
// return address. False when the frame's slot is unknown.
bool StartAtCallerOf(TThreadState& state, size_t index) {
    if (index >= state.callFrames.size() || state.callFrames[index].slot == 0) return false;
    const TChainFrame caller = state.callFrames[index];
    // The saved frame pointer of the dropped frames leads on into the caller's chain.
    while (state.framePointer != 0 && state.framePointer < caller.slot) {
        uintptr_t saved = 0;
        if (!state.stack.Read(state.framePointer, &saved, sizeof saved) || saved <= state.framePointer) break;
        state.framePointer = saved;
    }
    state.callFrames.erase(state.callFrames.begin(), state.callFrames.begin() + static_cast<long>(index) + 1);
    state.instruction = caller.address;
    state.stackPointer = caller.slot + sizeof(uintptr_t);
    return true;
}

size_t ThrowFrameIndex(const TThreadState& state) {
    for (size_t i = 0; i < state.callFrames.size(); ++i) {
        // The frame's caller is callFrames[i]; the function it returns from is the one before it.
        const uintptr_t inside = i == 0 ? state.instruction : state.callFrames[i - 1].address - 1;
        const auto location = Locate(inside);
        if (location && std::find(kThrowRoutines.begin(), kThrowRoutines.end(), location->functionName) !=
                            kThrowRoutines.end())
            return i;
    }
    return std::string::npos;
}

} // namespace

void TThreadTracer::Prime() {
    TModuleCache::Instance().Refresh();
    TThreadHold::Install();
    uintptr_t probe = 0;
    TMemoryReader::TryRead(reinterpret_cast<uintptr_t>(&probe), &probe, sizeof probe);
    TMemoryReader::TryReadThroughPipe(reinterpret_cast<uintptr_t>(&probe), &probe, sizeof probe);
    ucontext_t context;
    if (::getcontext(&context) == 0)
        TThreadState::FromLiveContext(context, TThreadState::CurrentThreadPointer());
}

__attribute__((noinline)) std::string TThreadTracer::TraceCurrentThread(const TStackOptions& options,
                                                                        const TTraceProgress& progress,
                                                                        uintptr_t creatorAddress) {
    ucontext_t context;
    if (::getcontext(&context) != 0) return TStackTracer::kNotAccessible;
    return TraceContext(context, TThreadState::CurrentThreadPointer(), TStart::CallerOfCapture, options,
                        progress, creatorAddress);
}

std::optional<std::string> TThreadTracer::TraceThread(pid_t thread, const TStackOptions& options,
                                                      const TTraceProgress& progress,
                                                      uintptr_t creatorAddress) {
    std::optional<TThreadSnapshot> snapshot = TThreadHold::Snapshot(thread);
    if (!snapshot) return std::nullopt;
    return TraceState(TThreadState::FromContext(snapshot->context, std::move(snapshot->stack)), options,
                      progress, creatorAddress, false);
}

std::string TThreadTracer::TraceContext(const ucontext_t& context, uintptr_t threadPointer, TStart start,
                                        const TStackOptions& options, const TTraceProgress& progress,
                                        uintptr_t creatorAddress) {
    TThreadState state = TThreadState::FromLiveContext(context, threadPointer);
    if (start == TStart::Instruction)
        return TraceState(std::move(state), options, progress, creatorAddress, false);
    const size_t thrower = start == TStart::Thrower ? ThrowFrameIndex(state) : std::string::npos;
    if (!StartAtCallerOf(state, thrower != std::string::npos ? thrower : 0))
        return TStackTracer::kNotAccessible;
    return TraceState(std::move(state), options, progress, creatorAddress, true);
}

} // namespace qv::crash
