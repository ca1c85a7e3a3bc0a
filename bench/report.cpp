// Times the composition of a full bug report (header, every thread's section, modules, hardware,
// disassembly) for a process with 20 threads 50 frames deep, the first one of the process and a
// later one, next to gdb's "thread apply all bt" on the same process.
#include "crash/BugReport.h"
#include "crash/CrashReporter.h"
#include "platform/Thread.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kThreads = 20;
constexpr int kDepth = 50;

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

class TDescendingThread : public qv::platform::TThread {
protected:
    void Execute() override { Descend(kDepth); }
};

template <typename F>
double Milliseconds(F&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The report of the whole process, composed in a thread of its own as an outside tool would.
double ComposeReport(size_t& length) {
    return Milliseconds([&] {
        std::thread([&] {
            qv::crash::TCrashReporter& reporter = qv::crash::TCrashReporter::Instance();
            qv::crash::TReportSubject subject;
            subject.frozen = true;
            subject.threadId = ::getpid();
            length =
                qv::crash::TBugReport(reporter.Settings(), reporter.InstalledAt()).Compose(subject).size();
        }).join();
    });
}

double GdbAllThreads() {
    const std::string pid = std::to_string(::getpid());
    return Milliseconds([&] {
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
    qv::crash::Install();
    std::vector<std::unique_ptr<TDescendingThread>> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.push_back(std::make_unique<TDescendingThread>());
        threads.back()->Start();
    }
    while (gWaiting.load() < kThreads)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

    size_t length = 0;
    const double first = ComposeReport(length);
    std::printf("first report of the process, %d threads %d frames deep (%zu bytes): %.1f ms\n", kThreads,
                kDepth, length, first);
    const double later = ComposeReport(length);
    std::printf("a later report: %.1f ms\n", later);
    int status = 0;
    try {
        const double gdb = GdbAllThreads();
        std::printf("gdb thread apply all bt on the same process: %.1f ms\n", gdb);
        std::printf("ratio report: %.1f\n", gdb / first);
        std::printf("ratio later report: %.1f\n", gdb / later);
    } catch (const std::exception& e) {
        std::printf("gdb: %s\n", e.what());
        status = 1;
    }
    for (int i = 0; i < kThreads; ++i)
        if (::write(gRelease[1], "x", 1) != 1) return 1;
    threads.clear();
    return status;
}
