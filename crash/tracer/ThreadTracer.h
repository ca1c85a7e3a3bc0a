#pragma once

#include "crash/tracer/StackOptions.h"
#include "crash/tracer/StackTracer.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <ucontext.h>

namespace qv::crash {

// Traces the threads of this process: the calling one, another one, or one whose context a fault
// handler or a caller captured while the thread stands still.
class TThreadTracer {
public:
    // Where the trace of a captured context starts.
    enum class TStart {
        // At the context's instruction: a fault.
        Instruction,
        // In the caller of the function that captured the context.
        CallerOfCapture,
        // In the code that threw the exception being handled, when the context was captured while
        // the runtime still stood in its throw; else as CallerOfCapture.
        Thrower,
    };

    // Does ahead of time what takes locks: reads the module list, installs the hold signal, fills
    // the unwinder's caches and opens the fallback reader. Call it at start-up.
    static void Prime();

    // The caller's own stack, from the point of the call on.
    static std::string TraceCurrentThread(const TStackOptions& options, const TTraceProgress& progress = {},
                                          uintptr_t creatorAddress = 0);
    // Another thread, held still while its registers and stack are copied; nothing when it cannot
    // be held (it does not exist, is the caller, or blocks the hold signal for a second).
    static std::optional<std::string> TraceThread(pid_t thread, const TStackOptions& options,
                                                  const TTraceProgress& progress = {},
                                                  uintptr_t creatorAddress = 0);
    // The thread that the context describes, which stands still meanwhile; threadPointer caps its
    // stack. Call it outside signal handlers: it reads the mappings and allocates.
    static std::string TraceContext(const ucontext_t& context, uintptr_t threadPointer, TStart start,
                                    const TStackOptions& options, const TTraceProgress& progress = {},
                                    uintptr_t creatorAddress = 0);
    // The code address found on another thread's stack, held still meanwhile: the return address
    // of its innermost call; 0 when the thread cannot be held or its stack holds none.
    static uintptr_t StackCodeAddress(pid_t thread);
    // The code address at which TraceContext's trace of the context starts; 0 when unknown.
    static uintptr_t StartAddress(const ucontext_t& context, uintptr_t threadPointer, TStart start);
};

} // namespace qv::crash
