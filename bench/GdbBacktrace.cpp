#include "bench/GdbBacktrace.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

} // namespace qv::bench
