#include "crash/tracer/ThreadTracer.h"

#include "crash/symbols/ModuleCache.h"
#include "crash/tracer/CallCandidate.h"
#include "crash/tracer/MemoryReader.h"
#include "crash/tracer/ThreadHold.h"
#include "crash/tracer/ThreadState.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace qv::crash {

namespace {

// The C++ runtime's modules, whose frames stand between a throw and the terminate handler.
constexpr std::array<std::string_view, 2> kRuntimeModules = {"libstdc++.so", "libgcc_s.so"};

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

bool InRuntime(uintptr_t address) {
    const TModuleInfo* module = TModuleCache::Instance().FindModule(address);
    return module != nullptr &&
           std::any_of(kRuntimeModules.begin(), kRuntimeModules.end(), [&](std::string_view name) {
               return module->fileName.compare(0, name.size(), name) == 0;
           });
}

// The last frame of the first run of the runtime's frames (throw, terminate): its caller threw.
// npos when there is none.
size_t ThrowFrameIndex(const TThreadState& state) {
    // The function of frame i returns to callFrames[i]; frame 0's is the context's own.
    auto inRuntime = [&](size_t frame) {
        return InRuntime(frame == 0 ? state.instruction : state.callFrames[frame - 1].address - 1);
    };
    size_t frame = 0;
    while (frame < state.callFrames.size() && !inRuntime(frame))
        ++frame;
    if (frame == state.callFrames.size()) return std::string::npos;
    while (frame + 1 < state.callFrames.size() && inRuntime(frame + 1))
        ++frame;
    return frame;
}

bool MoveToStart(TThreadState& state, TThreadTracer::TStart start) {
    if (start == TThreadTracer::TStart::Instruction) return true;
    const size_t thrower =
        start == TThreadTracer::TStart::Thrower ? ThrowFrameIndex(state) : std::string::npos;
    return StartAtCallerOf(state, thrower != std::string::npos ? thrower : 0);
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
    if (!MoveToStart(state, start)) return TStackTracer::kNotAccessible;
    return TraceState(std::move(state), options, progress, creatorAddress, start != TStart::Instruction);
}

uintptr_t TThreadTracer::StackCodeAddress(pid_t thread) {
    std::optional<TThreadSnapshot> snapshot = TThreadHold::Snapshot(thread);
    if (!snapshot) return 0;
    const TThreadState state = TThreadState::FromContext(snapshot->context, std::move(snapshot->stack));
    // The caller that call-frame information names is exact; without one, the first stack value
    // that passes for a return address.
    if (!state.callFrames.empty() && TCallCandidate::IsReturnAddress(state.callFrames.front().address))
        return state.callFrames.front().address;
    for (const uintptr_t value : state.stack.Slots())
        if (TCallCandidate::IsReturnAddress(value)) return value;
    return 0;
}

uintptr_t TThreadTracer::StartAddress(const ucontext_t& context, uintptr_t threadPointer, TStart start) {
    TThreadState state = TThreadState::FromLiveContext(context, threadPointer);
    return MoveToStart(state, start) ? state.instruction : 0;
}

} // namespace qv::crash
