#pragma once

#include "skin/TsuiUIStyle.h"

class QObject;

namespace qv::framework {
class TComponent;
}

namespace qv::skin {

class TsuiFileTheme;

// Decides where a control draws from. A style other than FromThemeFile: false, that style.
// FromThemeFile with a ready theme: true, FromThemeFile. Otherwise false, DeepBlue.
bool UsingFileTheme(const TsuiFileTheme* theme, TsuiUIStyle style, TsuiUIStyle& effectiveStyle);

// The UIStyle of the first TsuiForm among a form's direct child controls; DeepBlue when the owner
// is not a form or holds none. Every skinned control starts with it.
TsuiUIStyle GetFormStyle(const framework::TComponent* owner);

// Hands the theme and then the style to every direct child of the container that publishes both.
void ApplyThemeToChildren(QObject* container, TsuiUIStyle style, TsuiFileTheme* theme);

} // namespace qv::skin
