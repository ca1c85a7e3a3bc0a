#include "crash/HandlerThread.h"

#include "crash/ThreadRegistry.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qv::crash {

bool THandlerThread::Start(THandler handler, std::function<void()> prepare) {
    if (Running()) return true;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    readEnd_ = fds[0];
    writeEnd_.store(fds[1]);
    ready_.store(false);
    ended_.store(false);
    thread_ = std::thread([this, handler = std::move(handler), prepare = std::move(prepare)] {
        threadId_.store(static_cast<pid_t>(::syscall(SYS_gettid)));
        TThreadRegistry::Instance().UpdateThreadEntry(threadId_.load(), TThreadRegistry::kInternalName, 0, 0,
                                                      {});
        if (prepare) prepare();
        ready_.store(true);
        ready_.notify_all();
        Loop(handler);
        ended_.store(true);
    });
    return true;
}

void THandlerThread::WaitUntilReady() const {
    if (Running()) ready_.wait(false);
}

void THandlerThread::Loop(const THandler& handler) {
    TExceptionRequest request;
    for (;;) {
        const ssize_t got = ::read(readEnd_, &request, sizeof request);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        // Only whole records are requests.
        if (static_cast<size_t>(got) != sizeof request) continue;
        if (request.doneEvent == nullptr) return;
        handler(request);
    }
}

bool THandlerThread::Submit(const TExceptionRequest& request) const {
    const int fd = writeEnd_.load();
    if (fd < 0) return false;
    // A record is smaller than the pipe's atomic write size: records never interleave.
    for (;;) {
        const ssize_t written = ::write(fd, &request, sizeof request);
        if (written < 0 && errno == EINTR) continue;
        return written == static_cast<ssize_t>(sizeof request);
    }
}

void THandlerThread::Stop() {
    const int fd = writeEnd_.exchange(-1);
    if (fd < 0) return;
    ::close(fd);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopMilliseconds);
    while (!ended_.load() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (ended_.load()) {
        thread_.join();
        ::close(readEnd_);
    } else {
        // Still busy with an event: it ends with the process.
        thread_.detach();
    }
    TThreadRegistry::Instance().RemoveThread(threadId_.exchange(0));
}

} // namespace qv::crash
