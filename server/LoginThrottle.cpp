#include "server/LoginThrottle.h"

namespace qv::server {

LoginThrottle::LoginThrottle(Clock clock, size_t capacity) : clock_(std::move(clock)), capacity_(capacity) {}

bool LoginThrottle::MayTry(const std::string& address) {
    const std::lock_guard lock(mutex_);
    const auto found = records_.find(address);
    return found == records_.end() || found->second.failures < kMaxFailures ||
           clock_() - found->second.last >= kQuietPeriod;
}

void LoginThrottle::Failed(const std::string& address) {
    const auto now = clock_();
    const std::lock_guard lock(mutex_);
    auto found = records_.find(address);
    if (found == records_.end()) {
        MakeRoom(now);
        found = records_.emplace(address, Record{}).first;
    }
    Record& record = found->second;
    if (now - record.last >= kQuietPeriod) record.failures = 0;
    ++record.failures;
    record.last = now;
}

void LoginThrottle::Succeeded(const std::string& address) {
    const std::lock_guard lock(mutex_);
    records_.erase(address);
}

void LoginThrottle::MakeRoom(std::chrono::steady_clock::time_point now) {
    if (records_.size() < capacity_) return;
    std::erase_if(records_, [now](const auto& entry) { return now - entry.second.last >= kQuietPeriod; });
    // Addresses enough to fill the table can wait out any throttle anyway; starting over is cheap.
    if (records_.size() >= capacity_) records_.clear();
}

} // namespace qv::server
