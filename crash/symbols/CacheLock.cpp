#include "crash/symbols/CacheLock.h"

namespace qv::crash {

std::recursive_mutex& CacheLock() {
    static std::recursive_mutex lock;
    return lock;
}

} // namespace qv::crash
