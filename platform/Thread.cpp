#include "platform/Thread.h"

#include <cxxabi.h>
#include <memory>
#include <sys/syscall.h>
#include <unistd.h>

namespace qv::platform {

namespace {

std::atomic<TThreadObserver*> gObserver{nullptr};

pid_t CurrentThreadId() {
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

} // namespace

void TThread::SetObserver(TThreadObserver* observer) {
    gObserver.store(observer);
}

TThread::~TThread() {
    WaitFor();
}

__attribute__((noinline)) void TThread::Start() {
    if (thread_.joinable()) return;
    // The call of Start() in the creating code: the return address, less one to stay inside it.
    creatorAddress_ = reinterpret_cast<uintptr_t>(__builtin_return_address(0)) - 1;
    creatorThreadId_ = CurrentThreadId();
    thread_ = std::thread([this] { Run(); });
}

void TThread::Run() {
    threadId_.store(CurrentThreadId());
    if (TThreadObserver* observer = gObserver.load()) observer->ThreadStarting(*this);
    Execute();
    if (TThreadObserver* observer = gObserver.load()) observer->ThreadEnding(*this);
}

void TThread::WaitFor() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void TThread::ProcessMessages() {
    if (TThreadObserver* observer = gObserver.load()) observer->MessagesRetrieved(*this);
}

std::string TThread::ClassName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
    return status == 0 && demangled ? demangled.get() : mangled;
}

} // namespace qv::platform
