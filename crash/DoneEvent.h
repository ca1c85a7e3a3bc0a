#pragma once

#include <atomic>
#include <cstdint>

namespace qv::crash {

// A manual-reset event on a futex: set once, waited for by one thread. Both calls are
// async-signal-safe, so a thread in a fault handler can wait on it.
class TDoneEvent {
public:
    void Set();
    bool IsSet() const { return state_.load() != 0; }
    void Wait();

private:
    std::atomic<uint32_t> state_{0};
};

} // namespace qv::crash
