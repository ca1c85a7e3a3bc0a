#include "skin/ThemeProperties.h"

#include "skin/TsuiFileTheme.h"

#include <QMetaObject>
#include <QVariant>

namespace qv::skin {

namespace {

constexpr const char* kFileTheme = "FileTheme";
constexpr const char* kUIStyle = "UIStyle";

bool Publishes(const QObject* object, const char* property) {
    return object && object->metaObject()->indexOfProperty(property) >= 0;
}

} // namespace

std::string_view ShortClassName(const QMetaObject* meta) {
    const std::string_view name = meta->className();
    const size_t separator = name.rfind("::");
    return separator == std::string_view::npos ? name : name.substr(separator + 2);
}

bool IsClass(const QObject* object, std::string_view shortName) {
    if (!object) return false;
    for (const QMetaObject* meta = object->metaObject(); meta; meta = meta->superClass())
        if (ShortClassName(meta) == shortName) return true;
    return false;
}

bool PublishesFileTheme(const QObject* object) {
    return Publishes(object, kFileTheme);
}

bool PublishesUIStyle(const QObject* object) {
    return Publishes(object, kUIStyle);
}

TsuiFileTheme* ReadFileTheme(const QObject* object) {
    return PublishesFileTheme(object) ? object->property(kFileTheme).value<TsuiFileTheme*>() : nullptr;
}

void WriteFileTheme(QObject* object, TsuiFileTheme* theme) {
    if (PublishesFileTheme(object)) object->setProperty(kFileTheme, QVariant::fromValue(theme));
}

TsuiUIStyle ReadUIStyle(const QObject* object) {
    return PublishesUIStyle(object) ? object->property(kUIStyle).value<TsuiUIStyle>() : TsuiUIStyle::DeepBlue;
}

void WriteUIStyle(QObject* object, TsuiUIStyle style) {
    if (PublishesUIStyle(object)) object->setProperty(kUIStyle, QVariant::fromValue(style));
}

} // namespace qv::skin
