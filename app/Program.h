#pragma once

#include <functional>

namespace qv::app {

class TClientSession;

// The desktop program from its first step to its last: the crash reporter, the application
// object, the program's set-up and the session with its windows, then the event loop until the
// main window closes. `started` runs once the windows exist, just before the event loop, for
// those that watch the program (the start-up benchmark). Answers the event loop's exit code.
int RunProgram(int& argc, char** argv, const std::function<void(TClientSession&)>& started = {});

} // namespace qv::app
