#include "framework/gui/Screen.h"

#include <QCursor>
#include <QGuiApplication>

namespace qv::framework {

TCursor TScreen::Cursor() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor ? TCursor::crHourGlass : TCursor::crDefault;
}

void TScreen::SetCursor(TCursor cursor) {
    if (cursor == Cursor()) return;
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    if (cursor == TCursor::crHourGlass) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

} // namespace qv::framework
