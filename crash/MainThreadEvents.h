#pragma once

#include <functional>

namespace qv::crash {

class THiddenMessageWindow;

// Ties the main thread's hidden message window and its holding to the main thread's Qt event
// loop, when the program runs one: a posted event wakes the loop, which then dispatches the
// window's messages and waits there while the main thread is held.
class TMainThreadEvents {
public:
    // In the main thread, at installation; the loop itself may start later.
    static void Install(THiddenMessageWindow& window);
    // From any thread: wakes the main thread's event loop, if one runs.
    static void Wake();
    // Whether the calling thread is the main thread and an event loop can run in it.
    static bool CanPump();
    // In the main thread: handles events until done() holds, painting and the desktop's pings
    // included but no user input, which waits until then. Wake() after the condition changed.
    static void PumpUntil(const std::function<bool()>& done);
};

} // namespace qv::crash
