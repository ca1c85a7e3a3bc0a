// Times the stack tracer on threads 50 frames deep, cold and warm, and on 20 such threads, next to
// gdb's "thread apply all bt" on the same process.
#include "crash/ThreadTracer.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using qv::crash::TThreadTracer;

namespace {

constexpr int kThreads = 20;
constexpr int kDepth = 50;
constexpr int kWarmRounds = 50;

int gRelease[2];
std::atomic<int> gWaiting{0};
volatile int gSink;

__attribute__((noinline)) void Descend(int depth) {
    gSink = gSink + depth;
    if (depth > 1) {
        Descend(depth - 1);
    } else {
        gWaiting.fetch_add(1);
        char byte = 0;
        while (::read(gRelease[0], &byte, 1) < 0 && errno == EINTR) {}
    }
    gSink = gSink + 1;
}

double Milliseconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

template <typename F>
double Time(F&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return Milliseconds(std::chrono::steady_clock::now() - start);
}

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

// The time gdb takes to attach to this process and print every thread's backtrace, its output
// thrown away; throws when gdb fails.
double GdbAllThreads() {
    const std::string pid = std::to_string(::getpid());
    return Time([&] {
        const pid_t child = ::fork();
        if (child == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execl("/usr/bin/gdb", "gdb", "-nx", "-batch", "-p", pid.c_str(), "-ex", "thread apply all bt",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("gdb failed");
    });
}

} // namespace

int main() {
    if (::pipe(gRelease) != 0) return 1;
    ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
    TThreadTracer::Prime();
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([] { Descend(kDepth); });
    while (gWaiting.load() < kThreads)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

    const std::vector<pid_t> others = OtherThreads();
    size_t lines = 0;
    const double cold = Time([&] {
        const auto trace = TThreadTracer::TraceThread(others.front(), {});
        lines = trace ? static_cast<size_t>(std::count(trace->begin(), trace->end(), '\n')) + 1 : 0;
    });
    const double warm = Time([&] {
                            for (int round = 0; round < kWarmRounds; ++round)
                                TThreadTracer::TraceThread(others.front(), {});
                        }) /
                        kWarmRounds;
    size_t traced = 0;
    const double all = Time([&] {
        for (pid_t thread : others)
            traced += TThreadTracer::TraceThread(thread, {}).has_value() ? 1 : 0;
    });
    std::printf("trace of one thread %d frames deep (%zu lines), cold: %.2f ms\n", kDepth, lines, cold);
    std::printf("trace of one thread %d frames deep, warm: %.3f ms\n", kDepth, warm);
    std::printf("trace of %zu of %zu threads: %.2f ms\n", traced, others.size(), all);
    int status = 0;
    try {
        const double gdb = GdbAllThreads();
        std::printf("gdb thread apply all bt on the same process: %.2f ms\n", gdb);
        std::printf("ratio trace-all: %.1f\n", gdb / all);
    } catch (const std::exception& e) {
        std::printf("gdb: %s\n", e.what());
        status = 1;
    }
    for (int i = 0; i < kThreads; ++i)
        if (::write(gRelease[1], "x", 1) != 1) return 1;
    for (std::thread& thread : threads)
        thread.join();
    return status;
}
