#pragma once

#include <QApplication>

#include <exception>
#include <functional>

namespace qv::framework {

// The application object. An exception that leaves an event handler ends that handler and goes
// to the application's exception handler; the program runs on. Until a handler is installed
// (the crash reporter installs one), the message is shown in a plain box with an OK button.
class TApplication : public QApplication {
    Q_OBJECT

public:
    TApplication(int& argc, char** argv);

    // The last net: an exception that a widget's event code let through is handled here.
    bool notify(QObject* receiver, QEvent* event) override;

    using ExceptionHandler = std::function<void(std::exception_ptr)>;
    // Replaces the application's exception handler; an empty one brings back ShowException.
    static void SetExceptionHandler(ExceptionHandler handler);
    // Releases the mouse capture and hands the exception to the application's exception handler.
    static void HandleException(std::exception_ptr error);
    // The message of the exception in a plain box with one OK button.
    static void ShowException(std::exception_ptr error);
};

// Runs one event handler of a window: an exception that leaves it is handed to
// TApplication::HandleException instead of travelling through the toolkit.
void RunEventHandler(const std::function<void()>& handler);

// The message an exception carries, as the box shows it.
QString ExceptionMessage(std::exception_ptr error);

} // namespace qv::framework
