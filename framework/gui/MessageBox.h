#pragma once

#include <QString>

namespace qv::framework {

// The program's name as its message boxes show it; Qt's application name until one is set. Kept
// apart from Qt's display name, which the window system would append to every window title.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

// Shows the text in a modal message box with one OK button, titled with the application's title,
// and returns once the user has closed it.
void ShowMessage(const QString& text);

} // namespace qv::framework
