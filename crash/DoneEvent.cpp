#include "crash/DoneEvent.h"

#include <climits>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qv::crash {

namespace {

long Futex(std::atomic<uint32_t>& word, int operation, uint32_t value) {
    return ::syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), operation, value, nullptr, nullptr, 0);
}

} // namespace

void TDoneEvent::Set() {
    state_.store(1);
    Futex(state_, FUTEX_WAKE_PRIVATE, INT_MAX);
}

void TDoneEvent::Wait() {
    while (state_.load() == 0)
        Futex(state_, FUTEX_WAIT_PRIVATE, 0);
}

} // namespace qv::crash
