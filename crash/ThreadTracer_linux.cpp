#include "crash/ThreadTracer.h"

#include "crash/CallFrameChain.h"
#include "crash/MemoryReader.h"
#include "crash/ThreadHold.h"
#include "crash/ThreadState.h"
#include "crash/symbols/CacheLock.h"
#include "crash/symbols/ModuleCache.h"

#include <link.h>

namespace qv::crash {

namespace {

std::string TraceState(const TThreadState& state, const TStackOptions& options,
                       const TTraceProgress& progress, uintptr_t creatorAddress, bool afterCall) {
    TTraceInput input;
    input.stackPointer = state.stackPointer;
    input.stackTop = state.stackTop;
    input.framePointer = state.framePointer;
    input.exceptionAddress = state.instruction;
    input.exceptionAfterCall = afterCall;
    input.creatorAddress = creatorAddress;
    input.callFrames = state.callFrames;
    input.options = options;
    input.progress = progress;
    return TStackTracer(std::move(input)).Trace();
}

// A thread to trace while it is held, and what came of it.
struct THeldTrace {
    pid_t thread = 0;
    const TStackOptions& options;
    const TTraceProgress& progress;
    uintptr_t creatorAddress = 0;
    std::optional<std::string> result;
};

// Runs inside the loader's module walk, which holds the loader's lock: a thread stopped while it
// owned that lock would block the unwinder, which walks the modules too.
int TraceUnderLoaderLock(dl_phdr_info*, size_t, void* data) {
    auto& job = *static_cast<THeldTrace*>(data);
    try {
        const TThreadHold hold(job.thread);
        if (hold.Held()) {
            const TThreadState state = TThreadState::FromContext(hold.Context(), true, hold.ThreadPointer());
            job.result = TraceState(state, job.options, job.progress, job.creatorAddress, false);
        }
    } catch (...) {
        // No exception may cross the loader's frames; the thread simply gives no trace.
        job.result.reset();
    }
    return 1;
}

} // namespace

void TThreadTracer::Prime() {
    TModuleCache::Instance().Refresh();
    TThreadHold::Install();
    uintptr_t probe = 0;
    TMemoryReader::TryRead(reinterpret_cast<uintptr_t>(&probe), &probe, sizeof probe);
    TMemoryReader::TryReadThroughPipe(reinterpret_cast<uintptr_t>(&probe), &probe, sizeof probe);
    ucontext_t context;
    if (::getcontext(&context) != 0) return;
    const auto stackPointer = static_cast<uintptr_t>(context.uc_mcontext.gregs[REG_RSP]);
    const uintptr_t stackTop = TThreadState::StackTop(stackPointer, TThreadState::CurrentThreadPointer());
    if (stackTop != 0) TCallFrameChain::Walk(context, false, stackPointer, stackTop);
}

__attribute__((noinline)) std::string TThreadTracer::TraceCurrentThread(const TStackOptions& options,
                                                                        const TTraceProgress& progress,
                                                                        uintptr_t creatorAddress) {
    ucontext_t context;
    if (::getcontext(&context) != 0) return TStackTracer::kNotAccessible;
    TThreadState state = TThreadState::FromContext(context, false, TThreadState::CurrentThreadPointer());
    // The trace starts in the caller: drop this function's own frame.
    if (state.callFrames.empty() || state.callFrames.front().slot == 0) return TStackTracer::kNotAccessible;
    const TChainFrame caller = state.callFrames.front();
    state.callFrames.erase(state.callFrames.begin());
    state.instruction = caller.address;
    state.stackPointer = caller.slot + sizeof(uintptr_t);
    uintptr_t callerFrame = 0;
    if (TMemoryReader::TryRead(state.framePointer, &callerFrame, sizeof callerFrame))
        state.framePointer = callerFrame;
    return TraceState(state, options, progress, creatorAddress, true);
}

std::optional<std::string> TThreadTracer::TraceThread(pid_t thread, const TStackOptions& options,
                                                      const TTraceProgress& progress,
                                                      uintptr_t creatorAddress) {
    const std::lock_guard lock(CacheLock());
    THeldTrace job{thread, options, progress, creatorAddress, std::nullopt};
    dl_iterate_phdr(&TraceUnderLoaderLock, &job);
    return job.result;
}

std::string TThreadTracer::TraceContext(const ucontext_t& context, uintptr_t threadPointer,
                                        const TStackOptions& options, const TTraceProgress& progress,
                                        uintptr_t creatorAddress) {
    const TThreadState state = TThreadState::FromContext(context, true, threadPointer);
    return TraceState(state, options, progress, creatorAddress, false);
}

} // namespace qv::crash
