#include "app/ProgramSetup.h"

#include "app/AppIcon.h"
#include "framework/gui/Fonts.h"

#include <QApplication>

namespace qv::app {

void SetUpProgram() {
    QApplication::setApplicationName(QStringLiteral("quorvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvane"));
    QApplication::setDesktopFileName(QStringLiteral("quorvane"));
    QApplication::setWindowIcon(AppIcon());
    framework::InitializeFonts();
}

} // namespace qv::app
