#include "bench/DebuggerPeers.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qv::bench {

namespace {

int gRelease[2] = {-1, -1};
std::atomic<int> gWaiting{0};
volatile int gSink;

__attribute__((noinline)) void DescendFrom(int depth) {
    gSink = gSink + depth;
    if (depth > 1) {
        DescendFrom(depth - 1);
    } else {
        gWaiting.fetch_add(1);
        char byte = 0;
        while (::read(gRelease[0], &byte, 1) < 0 && errno == EINTR) {}
    }
    gSink = gSink + 1;
}

// Runs the tool with its output thrown away and times it; throws when it fails or ends with a
// status above highestSuccess.
double ToolMilliseconds(std::vector<const char*> arguments, int highestSuccess) {
    arguments.push_back(nullptr);
    return Milliseconds([&] {
        const pid_t child = ::fork();
        if (child == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execv(arguments[0], const_cast<char* const*>(arguments.data()));
            ::_exit(127);
        }
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
        if (!WIFEXITED(status) || WEXITSTATUS(status) > highestSuccess)
            throw std::runtime_error(std::string(arguments[0]) + " failed");
    });
}

} // namespace

TDeepWaits::TDeepWaits() {
    if (gRelease[0] < 0 && ::pipe(gRelease) != 0) throw std::runtime_error("no pipe");
    ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
}

void TDeepWaits::Descend(int depth) {
    DescendFrom(depth);
}

void TDeepWaits::AwaitWaiting(int count) const {
    while (gWaiting.load() < count)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Until each of them sleeps in its read.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

void TDeepWaits::Release(int count) {
    for (int i = 0; i < count; ++i)
        if (::write(gRelease[1], "x", 1) != 1) throw std::runtime_error("cannot release");
}

double GdbAllThreadsMilliseconds() {
    const std::string pid = std::to_string(::getpid());
    return ToolMilliseconds(
        {"/usr/bin/gdb", "-nx", "-batch", "-p", pid.c_str(), "-ex", "thread apply all bt"}, 0);
}

double EuStackMilliseconds() {
    const std::string pid = std::to_string(::getpid());
    // It ends with 1 when an unwind stopped short of a thread's start (as at clone3, which has no
    // call-frame information), after printing every frame.
    return ToolMilliseconds({"/usr/bin/eu-stack", "-p", pid.c_str()}, 1);
}

} // namespace qv::bench
