#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qv::crash {

// The times of the last ten handled events, newest first, in whole seconds since 1601-01-01 (UTC).
// It survives a restart, so that the automatic rules count events across restarts.
class TExceptionTimeHistory {
public:
    static constexpr size_t kSize = 10;
    using TTimes = std::array<int64_t, kSize>;

    // The current time in the history's unit.
    static int64_t Now();

    // Shifts the history one place (the oldest falls out) and puts the time in front.
    void Push(int64_t time);
    const TTimes& Times() const { return times_; }
    void Restore(const TTimes& times) { times_ = times; }
    // An automatic action's rule: 0 never, 1 always, N > 1 when all ten entries are set and each
    // lies at most N seconds before now (the tenth event within N seconds).
    bool RuleHolds(int32_t rule, int64_t now) const;

private:
    TTimes times_{};
};

} // namespace qv::crash
