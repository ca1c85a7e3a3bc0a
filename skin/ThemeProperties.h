#pragma once

#include "skin/TsuiUIStyle.h"

#include <QObject>

#include <string_view>

namespace qv::skin {

// The skinned controls publish `UIStyle` and `FileTheme` as Qt properties; the theme components
// reach them only through these, as they reach any control of a form (the theme reference's
// readers are the theme's own, beside its type).
inline constexpr const char* kFileThemeProperty = "FileTheme";

// The class name without its namespace ("TsuiButton").
std::string_view ShortClassName(const QMetaObject* meta);
// True when the object's class or one of its ancestors has that short name.
bool IsClass(const QObject* object, std::string_view shortName);

bool PublishesFileTheme(const QObject* object);
bool PublishesUIStyle(const QObject* object);

TsuiUIStyle ReadUIStyle(const QObject* object);
void WriteUIStyle(QObject* object, TsuiUIStyle style);

} // namespace qv::skin
