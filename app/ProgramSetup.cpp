#include "app/ProgramSetup.h"

#include "app/AppIcon.h"
#include "framework/gui/Fonts.h"
#include "framework/gui/MessageBox.h"

#include <QApplication>

namespace qv::app {

void SetUpProgram() {
    QApplication::setApplicationName(QStringLiteral("quorvane"));
    // Not Qt's display name: the window system would append it to every window's title, which
    // is the window's caption alone.
    framework::SetApplicationTitle(QStringLiteral("Quorvane"));
    QApplication::setDesktopFileName(QStringLiteral("quorvane"));
    QApplication::setWindowIcon(AppIcon());
    framework::InitializeFonts();
}

} // namespace qv::app
