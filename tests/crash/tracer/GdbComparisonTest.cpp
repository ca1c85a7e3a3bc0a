#include "crash/symbols/ModuleCache.h"
#include "crash/tracer/ThreadTracer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/crash/BlockedThread.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <regex>
#include <set>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qv::crash::test {

namespace {

constexpr const char* kGdb = "/usr/bin/gdb";

// A child process holding a thread blocked in the test chain; it traces that thread, reports the
// thread's id and the trace, and waits until the pipe to it closes.
class TracedChild {
public:
    TracedChild() {
        int report[2];
        int hold[2];
        if (::pipe(report) != 0 || ::pipe(hold) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(report[0]);
            ::close(hold[1]);
            Run(report[1], hold[0]);
        }
        ::close(report[1]);
        ::close(hold[0]);
        hold_ = hold[1];
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(report[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
            if (got > 0) report_.append(buffer, static_cast<size_t>(got));
        ::close(report[0]);
    }

    ~TracedChild() {
        if (hold_ >= 0) ::close(hold_);
        if (pid_ > 0) {
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }

    pid_t Pid() const { return pid_; }
    // The thread's id on the first line, then the trace.
    const std::string& Report() const { return report_; }

private:
    pid_t pid_ = -1;
    int hold_ = -1;
    std::string report_;

    [[noreturn]] static void Run(int report, int hold) {
        // Let a debugger that is not our parent attach where the kernel restricts it.
        ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
        {
            const qv::crash::test::BlockedThread blocked;
            const auto trace = TThreadTracer::TraceThread(blocked.Id(), {});
            const std::string text = std::to_string(blocked.Id()) + "\n" + trace.value_or("");
            if (::write(report, text.data(), text.size()) != static_cast<ssize_t>(text.size())) ::_exit(1);
            ::close(report);
            char byte = 0;
            while (::read(hold, &byte, 1) < 0 && errno == EINTR) {}
        }
        ::_exit(0);
    }
};

// The return addresses of the given thread's frames in gdb's "thread apply all bt" output.
std::vector<uintptr_t> GdbFrames(const std::string& output, const std::string& thread) {
    std::vector<uintptr_t> frames;
    std::istringstream lines(output);
    std::string line;
    bool inThread = false;
    const std::regex frame(R"(^#\d+\s+0x([0-9a-f]+) in )");
    while (std::getline(lines, line)) {
        if (line.rfind("Thread ", 0) == 0) inThread = line.find("(LWP " + thread + ")") != std::string::npos;
        std::smatch match;
        if (inThread && std::regex_search(line, match, frame))
            frames.push_back(static_cast<uintptr_t>(std::stoull(match[1].str(), nullptr, 16)));
    }
    return frames;
}

std::set<uintptr_t> TraceAddresses(const std::string& trace) {
    std::set<uintptr_t> addresses;
    std::istringstream lines(trace);
    std::string line;
    while (std::getline(lines, line))
        if (!line.empty()) addresses.insert(static_cast<uintptr_t>(std::stoull(line, nullptr, 16)));
    return addresses;
}

} // namespace

TEST(GdbComparison, EveryGdbFrameInTheProgramAppearsInTheTrace) {
    if (::access(kGdb, X_OK) != 0) GTEST_SKIP() << "gdb is not installed";
    TracedChild child;
    ASSERT_GT(child.Pid(), 0);
    const std::string& report = child.Report();
    const size_t end = report.find('\n');
    ASSERT_NE(end, std::string::npos) << report;
    const std::string thread = report.substr(0, end);
    const std::string trace = report.substr(end + 1);
    ASSERT_FALSE(trace.empty()) << "the child could not hold its thread";

    const qv::test::ProgramResult gdb = qv::test::RunProgram(
        kGdb, {"-nx", "-batch", "-p", std::to_string(child.Pid()), "-ex", "thread apply all bt"}, 120);
    if (gdb.out.find("(LWP " + thread + ")") == std::string::npos)
        GTEST_SKIP() << "gdb could not attach here: " << gdb.err;

    // fork keeps the layout, so the program's code lies where it lies in this process.
    const TModuleInfo* program = TModuleCache::Instance().FindModule(reinterpret_cast<uintptr_t>(&GdbFrames));
    ASSERT_NE(program, nullptr);
    const std::set<uintptr_t> ours = TraceAddresses(trace);
    size_t compared = 0;
    for (uintptr_t address : GdbFrames(gdb.out, thread)) {
        if (!program->ContainsCode(address)) continue;
        ++compared;
        EXPECT_TRUE(ours.count(address) == 1) << std::hex << address << " is missing\n"
                                              << "gdb:\n"
                                              << gdb.out << "\nours:\n"
                                              << trace;
    }
    EXPECT_GE(compared, 4u) << "the chain's three functions and the thread's entry\n" << gdb.out;
}

} // namespace qv::crash::test
