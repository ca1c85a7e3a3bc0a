#include "crash/crashbox/ReportField.h"

#include <QKeyEvent>

namespace qv::crash {

TReportField::TReportField(const QString& text, QWidget* parent) : QPlainTextEdit(text, parent) {
    setReadOnly(true);
    setTabChangesFocus(false);
}

bool TReportField::focusNextPrevChild(bool) {
    return false;
}

void TReportField::keyPressEvent(QKeyEvent* event) {
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (!tab) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (event->modifiers() & Qt::ControlModifier)
        QWidget::focusNextPrevChild(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
    event->accept();
}

} // namespace qv::crash
