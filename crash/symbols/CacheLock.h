#pragma once

#include "crash/symbols/ReporterLock.h"

namespace qv::crash {

// The one lock of the crash reporter's caches: loaded modules, symbol tables and analysed
// functions, which report composition uses. Recursive, since the caches call one another. A thread
// held still for a trace may own it, so the tracer never takes it while it holds a thread.
TReporterLock& CacheLock();

} // namespace qv::crash
