// Times the stack tracer on threads 50 frames deep, cold and warm, and on 20 such threads, next to
// gdb's "thread apply all bt" and eu-stack on the same process.
#include "bench/DebuggerPeers.h"
#include "crash/tracer/ThreadTracer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <limits>
#include <stdexcept>
#include <string>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

using qv::bench::Milliseconds;
using qv::crash::TThreadTracer;

namespace {

constexpr int kThreads = 20;
constexpr int kDepth = 50;
constexpr int kWarmRounds = 50;
constexpr int kAllRounds = 3;

std::vector<pid_t> OtherThreads() {
    std::vector<pid_t> threads;
    const auto self = static_cast<pid_t>(::syscall(SYS_gettid));
    DIR* tasks = ::opendir("/proc/self/task");
    if (tasks == nullptr) return threads;
    while (const dirent* entry = ::readdir(tasks)) {
        const pid_t thread = static_cast<pid_t>(std::atoi(entry->d_name));
        if (thread > 0 && thread != self) threads.push_back(thread);
    }
    ::closedir(tasks);
    return threads;
}

} // namespace

int main() {
    qv::bench::TDeepWaits waits;
    TThreadTracer::Prime();
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&waits] { waits.Descend(kDepth); });
    waits.AwaitWaiting(kThreads);

    const std::vector<pid_t> others = OtherThreads();
    size_t lines = 0;
    const double cold = Milliseconds([&] {
        const auto trace = TThreadTracer::TraceThread(others.front(), {});
        lines = trace ? static_cast<size_t>(std::count(trace->begin(), trace->end(), '\n')) + 1 : 0;
    });
    const double warm = Milliseconds([&] {
                            for (int round = 0; round < kWarmRounds; ++round)
                                TThreadTracer::TraceThread(others.front(), {});
                        }) /
                        kWarmRounds;
    // Rounds of tracing every thread alternate with rounds of eu-stack, and the best of each
    // counts, so that both see the same machine load.
    size_t traced = 0;
    double all = std::numeric_limits<double>::infinity();
    double euStack = std::numeric_limits<double>::infinity();
    std::string euStackError;
    for (int round = 0; round < kAllRounds; ++round) {
        traced = 0;
        all = std::min(all, Milliseconds([&] {
                           for (pid_t thread : others)
                               traced += TThreadTracer::TraceThread(thread, {}).has_value() ? 1 : 0;
                       }));
        try {
            euStack = std::min(euStack, qv::bench::EuStackMilliseconds());
        } catch (const std::exception& e) {
            euStackError = e.what();
        }
    }
    std::printf("trace of one thread %d frames deep (%zu lines), cold: %.2f ms\n", kDepth, lines, cold);
    std::printf("trace of one thread %d frames deep, warm: %.3f ms\n", kDepth, warm);
    std::printf("trace of %zu of %zu threads: %.2f ms\n", traced, others.size(), all);
    int status = 0;
    try {
        const double gdb = qv::bench::GdbAllThreadsMilliseconds();
        std::printf("gdb thread apply all bt on the same process: %.2f ms\n", gdb);
        std::printf("ratio trace-all: %.1f\n", gdb / all);
    } catch (const std::exception& e) {
        std::printf("gdb: %s\n", e.what());
        status = 1;
    }
    if (euStackError.empty()) {
        std::printf("eu-stack on the same process: %.2f ms\n", euStack);
        std::printf("ratio eu-stack: %.1f\n", euStack / all);
    } else {
        std::printf("eu-stack: %s\n", euStackError.c_str());
        status = 1;
    }
    waits.Release(kThreads);
    for (std::thread& thread : threads)
        thread.join();
    return status;
}
