#include "crash/symbols/CacheLock.h"

namespace qv::crash {

TReporterLock& CacheLock() {
    // Never destroyed: threads may report up to the process's last moment.
    static TReporterLock& lock = *new TReporterLock("composition");
    return lock;
}

} // namespace qv::crash
