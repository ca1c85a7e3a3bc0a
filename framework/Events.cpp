#include "framework/Events.h"

#include "framework/MessageBox.h"

#include <QString>

namespace qv::framework {

namespace {

TEventExceptionHandler& InstalledHandler() {
    static TEventExceptionHandler handler;
    return handler;
}

} // namespace

void SetEventExceptionHandler(TEventExceptionHandler handler) {
    InstalledHandler() = std::move(handler);
}

void HandleEventException(std::exception_ptr exception) {
    if (const TEventExceptionHandler& handler = InstalledHandler()) {
        handler(exception);
        return;
    }
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& error) {
        ShowMessage(QString::fromLatin1(error.what()));
    } catch (...) {
        ShowMessage(QStringLiteral("Unknown exception"));
    }
}

} // namespace qv::framework
