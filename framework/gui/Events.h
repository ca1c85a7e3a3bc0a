#pragma once

#include <QObject>

#include <exception>
#include <functional>
#include <utility>

namespace qv::framework {

// An event of a control that carries nothing but the control that raised it.
using TNotifyEvent = std::function<void(QObject* Sender)>;

// A key pressed on a control, as a Qt::Key code; a handler that sets Key to 0 takes the key, so
// the control does nothing more with it.
using TKeyEvent = std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)>;

// Hands an exception that left an event handler of the program to the application's exception
// handler (TApplication::HandleException).
void HandleEventException(std::exception_ptr exception);

// Runs an event handler of the program. An exception that leaves it ends the handler there and
// goes to the application's exception handler instead of unwinding through Qt, which is not
// exception-safe.
template <class Handler, class... Args>
void CallEvent(const Handler& handler, Args&&... args) {
    if (!handler) return;
    try {
        handler(std::forward<Args>(args)...);
    } catch (...) {
        HandleEventException(std::current_exception());
    }
}

} // namespace qv::framework
