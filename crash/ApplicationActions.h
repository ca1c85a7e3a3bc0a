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

    // Starts a new instance with the same command line, held until the hand-over is written, and
    // ends this process with exit code 2; closes the application when no instance can start.
    [[noreturn]] static void Restart(const TExceptionTimeHistory& history);
    // Ends the process with exit code 1 at once: other threads may be in any state.
    [[noreturn]] static void Close();
    // At installation: when this process is a restarted instance, waits until the old process
    // has ended and takes over its history.
    static void TakeOverFromRestart(TExceptionTimeHistory& history);
};

} // namespace qv::crash
