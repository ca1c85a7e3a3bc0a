#include "framework/gui/MessageBox.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace qv::framework {

namespace {

QString& StoredTitle() {
    static QString title;
    return title;
}

} // namespace

QString ApplicationTitle() {
    return StoredTitle().isEmpty() ? QCoreApplication::applicationName() : StoredTitle();
}

void SetApplicationTitle(const QString& title) {
    StoredTitle() = title;
}

void ShowMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok);
    box.exec();
}

} // namespace qv::framework
