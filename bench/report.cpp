// Times the composition of a full bug report (header, every thread's section, modules, hardware,
// disassembly) for a process with 20 threads 50 frames deep, the first one of the process and a
// later one, next to gdb's "thread apply all bt" on the same process.
#include "bench/DebuggerPeers.h"
#include "crash/BugReport.h"
#include "crash/CrashReporter.h"
#include "platform/Thread.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <thread>
#include <unistd.h>
#include <vector>

using qv::bench::Milliseconds;

namespace {

constexpr int kThreads = 20;
constexpr int kDepth = 50;

class TDescendingThread : public qv::platform::TThread {
public:
    explicit TDescendingThread(qv::bench::TDeepWaits& waits) : waits_(waits) {}

protected:
    void Execute() override { waits_.Descend(kDepth); }

private:
    qv::bench::TDeepWaits& waits_;
};

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

} // namespace

int main() {
    qv::bench::TDeepWaits waits;
    qv::crash::Install();
    std::vector<std::unique_ptr<TDescendingThread>> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.push_back(std::make_unique<TDescendingThread>(waits));
        threads.back()->Start();
    }
    waits.AwaitWaiting(kThreads);

    size_t length = 0;
    const double first = ComposeReport(length);
    std::printf("first report of the process, %d threads %d frames deep (%zu bytes): %.1f ms\n", kThreads,
                kDepth, length, first);
    const double later = ComposeReport(length);
    std::printf("a later report: %.1f ms\n", later);
    int status = 0;
    try {
        const double gdb = qv::bench::GdbAllThreadsMilliseconds();
        std::printf("gdb thread apply all bt on the same process: %.1f ms\n", gdb);
        std::printf("ratio report: %.1f\n", gdb / first);
        std::printf("ratio later report: %.1f\n", gdb / later);
    } catch (const std::exception& e) {
        std::printf("gdb: %s\n", e.what());
        status = 1;
    }
    waits.Release(kThreads);
    threads.clear();
    return status;
}
