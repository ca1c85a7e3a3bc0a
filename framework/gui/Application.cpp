#include "framework/gui/Application.h"

#include "framework/Exception.h"
#include "framework/gui/AnsiText.h"
#include "framework/gui/MessageBox.h"

#include <QWidget>

namespace qv::framework {

namespace {

TApplication::ExceptionHandler& InstalledHandler() {
    static TApplication::ExceptionHandler handler;
    return handler;
}

} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(std::current_exception());
        return true;
    }
}

void TApplication::SetExceptionHandler(ExceptionHandler handler) {
    InstalledHandler() = std::move(handler);
}

void TApplication::HandleException(std::exception_ptr error) {
    // A press that began before the failure must not keep the mouse captured.
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    if (InstalledHandler())
        InstalledHandler()(error);
    else
        ShowException(error);
}

void TApplication::ShowException(std::exception_ptr error) {
    ShowMessage(ExceptionMessage(error));
}

QString ExceptionMessage(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return AnsiToQString(e.Message());
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown exception");
    }
}

void RunEventHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        TApplication::HandleException(std::current_exception());
    }
}

} // namespace qv::framework
