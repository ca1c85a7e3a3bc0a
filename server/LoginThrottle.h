#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

namespace qv::server {

// Counts the failed password checks of each client address. An address that failed
// kMaxFailures times, each within kQuietPeriod of the one before, gets no more checks until it
// has kept quiet that long: guessing passwords then costs the guesser time and the service no
// CPU. A success forgets the address's failures.
class LoginThrottle {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr int kMaxFailures = 5;
    static constexpr std::chrono::seconds kQuietPeriod{60};

    explicit LoginThrottle(Clock clock = std::chrono::steady_clock::now, size_t capacity = 16384);

    // False while the address has to keep quiet.
    bool MayTry(const std::string& address);
    void Failed(const std::string& address);
    void Succeeded(const std::string& address);

private:
    struct Record {
        int failures = 0;
        std::chrono::steady_clock::time_point last;
    };

    // Makes room for one more address; addresses that kept quiet go first.
    void MakeRoom(std::chrono::steady_clock::time_point now);

    const Clock clock_;
    const size_t capacity_;
    std::mutex mutex_;
    std::unordered_map<std::string, Record> records_;
};

} // namespace qv::server
