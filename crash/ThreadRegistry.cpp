#include "crash/ThreadRegistry.h"

#include "crash/ReportFormat.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <sys/syscall.h>
#include <unistd.h>

namespace qv::crash {

namespace {

bool ThreadAlive(pid_t thread) {
    return ::syscall(SYS_tgkill, ::getpid(), thread, 0) == 0;
}

std::string SystemName(pid_t thread) {
    std::ifstream file("/proc/self/task/" + std::to_string(thread) + "/comm");
    std::string name;
    std::getline(file, name);
    return name;
}

// The name a thread gave itself through the system (pthread_setname_np), or empty: a thread that
// never named itself carries the name of the thread that created it, at first the program's.
std::string SelfGivenName(pid_t thread) {
    const std::string name = SystemName(thread);
    return name != SystemName(::getpid()) ? name : std::string();
}

} // namespace

TThreadRegistry& TThreadRegistry::Instance() {
    static TThreadRegistry& registry = *new TThreadRegistry;
    return registry;
}

void TThreadRegistry::UpdateThreadEntry(pid_t thread, const std::string& name, pid_t creatorThread,
                                        uintptr_t creatorAddress, const std::string& className) {
    const std::lock_guard lock(mutex_);
    auto entry =
        std::find_if(entries_.begin(), entries_.end(), [&](const TEntry& e) { return e.thread == thread; });
    if (entry == entries_.end()) entry = entries_.insert(entries_.end(), TEntry{thread, {}, {}, 0, 0});
    if (!name.empty()) entry->name = name;
    if (!className.empty()) entry->className = className;
    if (creatorAddress != 0) entry->creatorAddress = creatorAddress;
    if (creatorThread != 0) entry->creatorThread = creatorThread;
    DropFirstEnded();
}

void TThreadRegistry::RenameThread(pid_t thread, const std::string& name) {
    UpdateThreadEntry(thread, name, 0, 0, {});
}

void TThreadRegistry::RemoveThread(pid_t thread) {
    const std::lock_guard lock(mutex_);
    std::erase_if(entries_, [&](const TEntry& e) { return e.thread == thread; });
    DropFirstEnded();
}

void TThreadRegistry::DropFirstEnded() {
    const auto ended = std::find_if(entries_.begin(), entries_.end(),
                                    [](const TEntry& e) { return !ThreadAlive(e.thread); });
    if (ended != entries_.end()) entries_.erase(ended);
}

TThreadRegistry::TTitle TThreadRegistry::ThreadTitle(pid_t thread, bool force) {
    const std::string id = TReportFormat::HexId(static_cast<uint64_t>(thread));
    std::unique_lock lock(mutex_, std::chrono::milliseconds(kWaitMilliseconds));
    if (!lock.owns_lock()) return {"thread " + id, 0, 0};
    const auto entry =
        std::find_if(entries_.begin(), entries_.end(), [&](const TEntry& e) { return e.thread == thread; });
    TTitle title;
    std::string name;
    std::string className;
    if (entry != entries_.end()) {
        title = {{}, entry->creatorAddress, entry->creatorThread};
        name = entry->name;
        className = entry->className;
    }
    lock.unlock();
    if (name == kInternalName && !force) return title;
    // The program gave the thread no title: the name it gave itself, if any.
    if (name.empty() && className.empty()) name = SelfGivenName(thread);
    if (!name.empty())
        title.title = name + " (" + id + ")";
    else
        title.title = "thread " + id + (className.empty() ? "" : " (" + className + ")");
    return title;
}

std::vector<std::pair<pid_t, uintptr_t>> TThreadRegistry::CreatedThreads() {
    const std::lock_guard lock(mutex_);
    std::vector<std::pair<pid_t, uintptr_t>> threads;
    for (const TEntry& entry : entries_)
        if (entry.creatorAddress != 0) threads.emplace_back(entry.thread, entry.creatorAddress);
    return threads;
}

} // namespace qv::crash
