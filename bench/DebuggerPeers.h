#pragma once

#include <chrono>

namespace qv::bench {

// The milliseconds the work takes.
template <typename F>
double Milliseconds(F&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Threads that wait deep in a chain of calls, as the tracing peers find them.
class TDeepWaits {
public:
    // Allows a debugger that is not this process's parent to attach.
    TDeepWaits();
    // In a thread: descends depth calls and waits there until Release().
    void Descend(int depth);
    // Blocks until count threads wait.
    void AwaitWaiting(int count) const;
    void Release(int count);
};

// The time gdb takes to attach to this process and print every thread's backtrace, its output
// thrown away; throws when gdb fails.
double GdbAllThreadsMilliseconds();

// The same for eu-stack, which unwinds every thread of this process by its call-frame information.
double EuStackMilliseconds();

} // namespace qv::bench
