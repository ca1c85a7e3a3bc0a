#include "crash/FaultRecovery.h"

#include "crash/symbols/ReporterLock.h"

#include <csetjmp>

namespace qv::crash {

namespace {

struct TRecoveryPoint {
    sigjmp_buf jump;
    uintptr_t faultAddress = 0;
    TRecoveryPoint* outer = nullptr;
};

// Read in signal handlers: the reporter is linked into the program, so its thread-local storage
// is reached without a call into the loader.
thread_local TRecoveryPoint* tInnermost = nullptr;

// Leaves the point, whichever way the work ended.
class TPointScope {
public:
    explicit TPointScope(TRecoveryPoint& point) : point_(point) { tInnermost = &point_; }
    ~TPointScope() { tInnermost = point_.outer; }
    TPointScope(const TPointScope&) = delete;
    TPointScope& operator=(const TPointScope&) = delete;

private:
    TRecoveryPoint& point_;
};

} // namespace

bool TFaultRecovery::Run(const std::function<void()>& work, uintptr_t& faultAddress) {
    TRecoveryPoint point;
    point.outer = tInnermost;
    if (sigsetjmp(point.jump, 1) != 0) {
        // The fault jumped past every unlock on its way here; recovery points stand where the
        // thread holds none of the reporter's locks.
        TReporterLock::ReleaseHeldByThisThread();
        faultAddress = point.faultAddress;
        return false;
    }
    const TPointScope scope(point);
    work();
    return true;
}

void TFaultRecovery::Recover(const ucontext_t& context) {
    TRecoveryPoint* point = tInnermost;
    if (point == nullptr) return;
    point->faultAddress = static_cast<uintptr_t>(context.uc_mcontext.gregs[REG_RIP]);
    tInnermost = point->outer;
    siglongjmp(point->jump, 1);
}

} // namespace qv::crash
