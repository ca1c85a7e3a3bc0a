#include "skin/ThemeFunctions.h"

#include "framework/gui/Form.h"
#include "skin/ThemeProperties.h"
#include "skin/TsuiFileTheme.h"

#include <QPointer>

#include <vector>

namespace qv::skin {

bool UsingFileTheme(const TsuiFileTheme* theme, TsuiUIStyle style, TsuiUIStyle& effectiveStyle) {
    if (style != TsuiUIStyle::FromThemeFile) {
        effectiveStyle = style;
        return false;
    }
    if (theme && theme->Ready()) {
        effectiveStyle = TsuiUIStyle::FromThemeFile;
        return true;
    }
    effectiveStyle = TsuiUIStyle::DeepBlue;
    return false;
}

TsuiUIStyle GetFormStyle(const framework::TComponent* owner) {
    const auto* form = dynamic_cast<const framework::TForm*>(owner);
    if (!form) return TsuiUIStyle::DeepBlue;
    for (const QObject* child : form->children())
        if (child->isWidgetType() && IsClass(child, "TsuiForm")) return ReadUIStyle(child);
    return TsuiUIStyle::DeepBlue;
}

void ApplyThemeToChildren(QObject* container, TsuiUIStyle style, TsuiFileTheme* theme) {
    if (!container) return;
    // A child's setters may add or remove children; walk guarded copies.
    std::vector<QPointer<QObject>> children;
    for (QObject* child : container->children())
        children.emplace_back(child);
    for (const QPointer<QObject>& child : children) {
        if (!child || !PublishesFileTheme(child) || !PublishesUIStyle(child)) continue;
        WriteFileTheme(child, theme);
        WriteUIStyle(child, style);
    }
}

} // namespace qv::skin
