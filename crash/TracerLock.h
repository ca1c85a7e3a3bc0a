#pragma once

#include <mutex>

namespace qv::crash {

// The one lock of the tracer's caches and of the fallback memory reader. A thread held still for
// a trace must not own it, or the trace would wait for it forever: the tracer takes it before it
// stops a thread and keeps it until the thread goes on. Recursive, since the caches call one
// another.
std::recursive_mutex& TracerLock();

} // namespace qv::crash
