#include "framework/gui/MessageBox.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace qv::framework {

void ShowMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok);
    box.exec();
}

} // namespace qv::framework
