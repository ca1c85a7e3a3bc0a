#include "tests/support/crash/BlockedThread.h"

#include "tests/support/crash/TraceChains.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace qv::crash::test {

BlockedThread::BlockedThread(bool blockHoldSignals) : blockHoldSignals_(blockHoldSignals) {
    if (::pipe(pipe_) != 0) return;
    thread_ = std::thread([this] { ChainOuter(&BlockedThread::Wait, this); });
    // Wait until it sleeps in the read itself, however loaded the machine is.
    for (int wait = 0; wait < 10000 && !Sleeping(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool BlockedThread::Sleeping() const {
    const pid_t id = id_.load();
    if (id == 0) return false;
    std::ifstream stat("/proc/self/task/" + std::to_string(id) + "/stat");
    std::string text;
    std::getline(stat, text);
    const size_t name = text.rfind(')');
    return name != std::string::npos && text.compare(name, 3, ") S") == 0;
}

BlockedThread::~BlockedThread() {
    while (::write(pipe_[1], "x", 1) < 0 && errno == EINTR) {}
    if (thread_.joinable()) thread_.join();
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void BlockedThread::Wait(void* raw) {
    auto* self = static_cast<BlockedThread*>(raw);
    if (self->blockHoldSignals_) {
        sigset_t signals;
        sigemptyset(&signals);
        for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
            sigaddset(&signals, signal);
        ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    }
    self->id_.store(static_cast<pid_t>(::syscall(SYS_gettid)));
    char byte = 0;
    while (::read(self->pipe_[0], &byte, 1) < 0) {}
}

} // namespace qv::crash::test
