#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qv::platform {

// Descriptors that become a started program's standard input, output and error; -1 keeps the
// starter's.
struct TStandardStreams {
    int input = -1;
    int output = -1;
    int error = -1;
};

// A new process that is held before it runs its program, so that its starter can prepare
// something for it under its id first. Starting it is safe in a process in trouble: no handler
// that the program registered for forks runs, and the new process calls nothing that takes a lock
// before it runs the program.
class THeldProcess {
public:
    // Starts the program at path with the arguments (the first is the program's own name).
    static std::optional<THeldProcess>
    Start(const std::string& path, const std::vector<std::string>& arguments, TStandardStreams streams = {});

    THeldProcess(THeldProcess&& other) noexcept;
    THeldProcess& operator=(THeldProcess&&) = delete;
    THeldProcess(const THeldProcess&) = delete;
    // Lets the process run if Resume() was not called.
    ~THeldProcess();

    pid_t Id() const { return id_; }
    // Lets the process run its program and tells whether it did: false when the program could
    // not be run (StartError() says why). A process that has neither run it nor failed after
    // kStartWaitMs counts as running.
    bool Resume();
    int StartError() const { return startError_; }

    static constexpr int kStartWaitMs = 10000;

private:
    THeldProcess(pid_t id, int go, int started) : id_(id), go_(go), started_(started) {}
    pid_t id_;
    // The writing end of the pipe the process waits on.
    int go_;
    // The reading end of a close-on-exec pipe: it closes when the program runs, and carries the
    // error number when it cannot.
    int started_;
    int startError_ = 0;
};

// Starts the program at path with the arguments (the first is the program's own name) in a process
// that is no child of this one: it may outlive this process and is never waited for. False when
// the process could not be made; whether the program runs then is for the caller to learn from it.
bool StartDetached(const std::string& path, const std::vector<std::string>& arguments,
                   TStandardStreams streams = {});

// The program of that name in the absolute folders of PATH (of "/usr/bin:/bin" when it is unset);
// none when no such folder holds it. An empty or relative entry would run whatever lies under
// that name in the current folder, so such entries are passed over.
std::optional<std::string> FindProgramOnPath(const std::string& name);
// The path of this process's program. When the file was replaced or deleted since the start, the
// path it had (where an upgrade put the new program), without the system's " (deleted)" mark.
std::string OwnExecutable();
// This process's command line, as it was started: the program's name, then the arguments.
std::vector<std::string> OwnCommandLine();
// Waits until the process with the id has ended, at most waitMs; it need not be a child of this
// one. False when it still runs.
bool WaitForProcessEnd(pid_t process, int waitMs);

} // namespace qv::platform
