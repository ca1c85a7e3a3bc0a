#include "crash/ExceptionTimeHistory.h"

#include <algorithm>
#include <chrono>

namespace qv::crash {

int64_t TExceptionTimeHistory::Now() {
    // Seconds from 1601-01-01 to 1970-01-01.
    constexpr int64_t kUnixEpochFrom1601 = 11644473600;
    const auto sinceUnixEpoch = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::seconds>(sinceUnixEpoch).count() + kUnixEpochFrom1601;
}

void TExceptionTimeHistory::Push(int64_t time) {
    std::move_backward(times_.begin(), times_.end() - 1, times_.end());
    times_.front() = time;
}

bool TExceptionTimeHistory::RuleHolds(int32_t rule, int64_t now) const {
    if (rule <= 1) return rule == 1;
    return std::all_of(times_.begin(), times_.end(),
                       [&](int64_t time) { return time != 0 && now - time <= rule; });
}

} // namespace qv::crash
