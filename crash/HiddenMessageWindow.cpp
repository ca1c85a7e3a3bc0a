#include "crash/HiddenMessageWindow.h"

#include <chrono>

namespace qv::crash {

unsigned THiddenMessageWindow::Register(THandler handler) {
    const std::lock_guard lock(mutex_);
    unsigned message = kFirstMessage;
    while (handlers_.count(message) != 0)
        ++message;
    handlers_[message] = std::move(handler);
    return message;
}

void THiddenMessageWindow::Unregister(unsigned message) {
    const std::lock_guard lock(mutex_);
    handlers_.erase(message);
}

void THiddenMessageWindow::SetWaker(std::function<void()> waker) {
    const std::lock_guard lock(mutex_);
    waker_ = std::move(waker);
}

void THiddenMessageWindow::Queue(TCall call) {
    std::function<void()> waker;
    {
        const std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
        waker = waker_;
    }
    if (waker) waker();
}

void THiddenMessageWindow::Post(unsigned message, intptr_t parameter) {
    Queue({message, parameter, nullptr});
}

std::optional<intptr_t> THiddenMessageWindow::Send(unsigned message, intptr_t parameter, int timeoutMs) {
    auto result = std::make_shared<std::optional<intptr_t>>();
    Queue({message, parameter, result});
    std::unique_lock lock(mutex_);
    answered_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return result->has_value(); });
    return *result;
}

void THiddenMessageWindow::Dispatch() {
    std::unique_lock lock(mutex_);
    while (!calls_.empty()) {
        TCall call = std::move(calls_.front());
        calls_.pop_front();
        const auto handler = handlers_.find(call.message);
        if (handler == handlers_.end()) continue;
        const THandler run = handler->second;
        lock.unlock();
        const intptr_t value = run(call.parameter);
        lock.lock();
        if (call.result) {
            *call.result = value;
            answered_.notify_all();
        }
    }
}

} // namespace qv::crash
