#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace qv::crash {

// A message queue owned by one thread, through which other threads run code in that thread:
// handlers are registered under message numbers from 1024 upward and run when the owner
// dispatches its messages. The owner's event loop tells how to wake it when something arrives.
class THiddenMessageWindow {
public:
    using THandler = std::function<intptr_t(intptr_t parameter)>;
    static constexpr unsigned kFirstMessage = 1024;

    // Registers the handler under the first number not yet used.
    unsigned Register(THandler handler);
    void Unregister(unsigned message);
    // Called with every post or send, from the posting thread; may be empty.
    void SetWaker(std::function<void()> waker);

    void Post(unsigned message, intptr_t parameter);
    // Runs the handler in the owner thread and waits at most timeoutMs for its result; nothing
    // when the owner did not dispatch in time or no handler is registered.
    std::optional<intptr_t> Send(unsigned message, intptr_t parameter, int timeoutMs);
    // In the owner thread: runs what was posted or sent.
    void Dispatch();

private:
    struct TCall {
        unsigned message;
        intptr_t parameter;
        // Set for a send: the result arrives here.
        std::shared_ptr<std::optional<intptr_t>> result;
    };
    std::mutex mutex_;
    std::condition_variable answered_;
    std::map<unsigned, THandler> handlers_;
    std::deque<TCall> calls_;
    std::function<void()> waker_;

    void Queue(TCall call);
};

} // namespace qv::crash
