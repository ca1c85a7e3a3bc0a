#pragma once

#include "crash/ExceptionTimeHistory.h"

namespace qv::crash {

// The codes of the actions, shared by the listeners, the dialog's buttons and their images.
enum class TAction : int { Mail = 0, Save = 1, Print = 2, Show = 3, Continue = 4, Restart = 5, Close = 6 };

// Restarting and closing the application. A restart hands the event history to the new instance
// through shared memory named "zorExceptRestart$" + the new process's id: the old process's id
// (4 bytes), 4 bytes not used here, and the ten times of the history.
class TApplicationActions {
public:
    static constexpr int kCloseExitCode = 1;
    static constexpr int kRestartExitCode = 2;

    // How long a restarted instance waits for the old one to end before it starts anyway.
    static constexpr int kPredecessorWaitMs = 30000;

    // Starts a new instance of the program's path (the new program after an upgrade) with the
    // same command line, held until the hand-over is written, and ends this process with exit
    // code 2 once the new program runs; when it cannot run, says so on standard error and closes
    // the application.
    [[noreturn]] static void Restart(const TExceptionTimeHistory& history);
    // Ends the process with exit code 1 at once: other threads may be in any state.
    [[noreturn]] static void Close();
    // At installation: when this process is a restarted instance (a hand-over block of this user
    // names it), waits until the old process has ended, at most waitMs, and takes over its
    // history. After the wait it says so on standard error and goes on.
    static void TakeOverFromRestart(TExceptionTimeHistory& history, int waitMs = kPredecessorWaitMs);
};

} // namespace qv::crash
