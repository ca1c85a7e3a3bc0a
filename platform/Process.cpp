#include "platform/Process.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <linux/close_range.h>
#include <poll.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qv::platform {

namespace {

constexpr int kNotStarted = 127;

// The steps below run in the new process, where only async-signal-safe calls are allowed: another
// thread of the starter may have owned any lock at the moment of the fork.

// Gives the program the standard streams and nothing else of the starter's.
void PrepareStreams(TStandardStreams streams) {
    const int descriptors[] = {streams.input, streams.output, streams.error};
    for (int standard = 0; standard < 3; ++standard)
        if (descriptors[standard] >= 0 && ::dup2(descriptors[standard], standard) < 0) ::_exit(kNotStarted);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC);
}

[[noreturn]] void RunWhenLetGo(int wait, int started, const char* path, char* const* argv,
                               TStandardStreams streams) {
    PrepareStreams(streams);
    char byte = 0;
    // The program runs whether the starter lets it go or ends first.
    while (::read(wait, &byte, 1) < 0 && errno == EINTR) {}
    ::execv(path, argv);
    const int error = errno;
    while (::write(started, &error, sizeof error) < 0 && errno == EINTR) {}
    ::_exit(kNotStarted);
}

std::vector<char*> ArgumentVector(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// Reads the error number a held process reports when it cannot run its program; 0 when the pipe
// closed without one (the program runs) or nothing came within the wait.
int StartErrorFrom(int started) {
    pollfd entry{started, POLLIN, 0};
    int ready = 0;
    while ((ready = ::poll(&entry, 1, THeldProcess::kStartWaitMs)) < 0 && errno == EINTR) {}
    if (ready <= 0) return 0;
    int error = 0;
    ssize_t got = 0;
    while ((got = ::read(started, &error, sizeof error)) < 0 && errno == EINTR) {}
    return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

} // namespace

bool StartDetached(const std::string& path, const std::vector<std::string>& arguments,
                   TStandardStreams streams) {
    std::vector<char*> argv = ArgumentVector(arguments);
    // _Fork, unlike fork, runs no fork handlers, which could wait for locks a stopped thread owns.
    const pid_t child = ::_Fork();
    if (child < 0) return false;
    if (child == 0) {
        // The program runs in a grandchild, which the system adopts once this child has ended.
        const pid_t grandchild = ::_Fork();
        if (grandchild != 0) ::_exit(grandchild > 0 ? 0 : kNotStarted);
        PrepareStreams(streams);
        ::execv(path.c_str(), argv.data());
        ::_exit(kNotStarted);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::optional<THeldProcess> THeldProcess::Start(const std::string& path,
                                                const std::vector<std::string>& arguments,
                                                TStandardStreams streams) {
    std::vector<char*> argv = ArgumentVector(arguments);
    int pipe[2];
    int started[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) return std::nullopt;
    if (::pipe2(started, O_CLOEXEC) != 0) {
        ::close(pipe[0]);
        ::close(pipe[1]);
        return std::nullopt;
    }
    // _Fork, unlike fork, runs no fork handlers, which could wait for locks a stopped thread owns.
    const pid_t child = ::_Fork();
    if (child == 0) RunWhenLetGo(pipe[0], started[1], path.c_str(), argv.data(), streams);
    ::close(pipe[0]);
    ::close(started[1]);
    if (child < 0) {
        ::close(pipe[1]);
        ::close(started[0]);
        return std::nullopt;
    }
    return THeldProcess(child, pipe[1], started[0]);
}

THeldProcess::THeldProcess(THeldProcess&& other) noexcept
    : id_(other.id_), go_(other.go_), started_(other.started_), startError_(other.startError_) {
    other.go_ = -1;
    other.started_ = -1;
}

THeldProcess::~THeldProcess() {
    Resume();
}

bool THeldProcess::Resume() {
    if (go_ >= 0) {
        while (::write(go_, "g", 1) < 0 && errno == EINTR) {}
        ::close(go_);
        go_ = -1;
    }
    if (started_ >= 0) {
        startError_ = StartErrorFrom(started_);
        ::close(started_);
        started_ = -1;
    }
    return startError_ == 0;
}

std::optional<std::string> FindProgramOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    const std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        start = end + 1;
        if (folder.empty() || folder[0] != '/') continue;
        const std::string candidate = folder + "/" + name;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

std::string OwnExecutable() {
    static constexpr std::string_view kDeletedMark = " (deleted)";
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    std::string path(buffer, static_cast<size_t>(length));
    if (path.ends_with(kDeletedMark)) path.resize(path.size() - kDeletedMark.size());
    return path;
}

std::vector<std::string> OwnCommandLine() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::vector<std::string> arguments;
    std::string argument;
    while (std::getline(file, argument, '\0'))
        arguments.push_back(argument);
    return arguments;
}

bool WaitForProcessEnd(pid_t process, int waitMs) {
    constexpr int kLookAgainMs = 10;
    if (process <= 0) return true;
    const int handle = static_cast<int>(::syscall(SYS_pidfd_open, process, 0));
    if (handle >= 0) {
        pollfd entry{handle, POLLIN, 0};
        int ready = 0;
        while ((ready = ::poll(&entry, 1, waitMs)) < 0 && errno == EINTR) {}
        ::close(handle);
        return ready != 0;
    }
    // Without process handles: look again every few milliseconds.
    for (int waited = 0; ::kill(process, 0) == 0 || errno == EPERM; waited += kLookAgainMs) {
        if (waited >= waitMs) return false;
        ::usleep(kLookAgainMs * 1000);
    }
    return true;
}

} // namespace qv::platform
