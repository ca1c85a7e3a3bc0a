#include "crash/TracerLock.h"

namespace qv::crash {

std::recursive_mutex& TracerLock() {
    static std::recursive_mutex lock;
    return lock;
}

} // namespace qv::crash
