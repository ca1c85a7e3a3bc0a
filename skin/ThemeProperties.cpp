#include "skin/ThemeProperties.h"

#include <QMetaObject>
#include <QVariant>

namespace qv::skin {

namespace {

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
    return Publishes(object, kFileThemeProperty);
}

bool PublishesUIStyle(const QObject* object) {
    return Publishes(object, kUIStyle);
}

TsuiUIStyle ReadUIStyle(const QObject* object) {
    return PublishesUIStyle(object) ? object->property(kUIStyle).value<TsuiUIStyle>() : TsuiUIStyle::DeepBlue;
}

void WriteUIStyle(QObject* object, TsuiUIStyle style) {
    if (PublishesUIStyle(object)) object->setProperty(kUIStyle, QVariant::fromValue(style));
}

} // namespace qv::skin
