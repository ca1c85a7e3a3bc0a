#include "framework/gui/MessageBox.h"

#include "framework/gui/Application.h"

#include <QMessageBox>

namespace qv::framework {

void ShowMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, TApplication::Title(), text, QMessageBox::Ok);
    box.exec();
}

} // namespace qv::framework
