#pragma once

#include <QString>

namespace qv::framework {

// Shows the text in a modal message box with one OK button, titled with the application's title,
// and returns once the user has closed it.
void ShowMessage(const QString& text);

} // namespace qv::framework
