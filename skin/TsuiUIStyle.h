#pragma once

#include <QMetaType>

namespace qv::skin {

// Where a skinned control takes its pictures and colours from: the skin of its file theme, or
// one of the five built-in styles. DeepBlue is the default and the fallback everywhere.
enum class TsuiUIStyle { FromThemeFile = 0, MacOS = 1, WinXP = 2, DeepBlue = 3, Protein = 4, BlueGlass = 5 };

} // namespace qv::skin

Q_DECLARE_METATYPE(qv::skin::TsuiUIStyle)
