#pragma once

#include "crash/symbols/ReporterLock.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qv::crash {

// The reporter's list of the process's threads: names, thread classes and the code that created
// each, so that a report can title every thread section and tell where a thread came from. A
// thread named "-" is one of the reporter's own and is left out of reports.
class TThreadRegistry {
public:
    // How long a report waits for the list.
    static constexpr int kWaitMilliseconds = 50;
    static constexpr const char* kInternalName = "-";

    struct TTitle {
        std::string title;
        uintptr_t creatorAddress = 0;
        pid_t creatorThreadId = 0;
    };

    static TThreadRegistry& Instance();

    // Adds or changes a thread's entry; values left empty (or 0) keep what the entry holds. After
    // each change the first entry whose thread has ended is dropped.
    void UpdateThreadEntry(pid_t thread, const std::string& name, pid_t creatorThread,
                           uintptr_t creatorAddress, const std::string& className);
    void RenameThread(pid_t thread, const std::string& name);
    void RemoveThread(pid_t thread);
    // The title of a thread for reports and its creator. A thread named "-" has an empty title
    // unless forced. When the list cannot be had in time: "thread $id" and no creator.
    TTitle ThreadTitle(pid_t thread, bool force = false);
    // The threads whose creators are known, with those creators.
    std::vector<std::pair<pid_t, uintptr_t>> CreatedThreads();

private:
    struct TEntry {
        pid_t thread = 0;
        std::string name;
        std::string className;
        uintptr_t creatorAddress = 0;
        pid_t creatorThread = 0;
    };
    TReporterLock mutex_{"registry"};
    std::vector<TEntry> entries_;

    void DropFirstEnded();
};

} // namespace qv::crash
