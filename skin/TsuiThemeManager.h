#pragma once

#include "framework/Component.h"
#include "framework/StringList.h"
#include "skin/TsuiUIStyle.h"

#include <functional>

namespace qv::skin {

class TsuiFileTheme;

// Hands one style and one file theme to the components of its owner form that CompList names.
class TsuiThemeManager : public framework::TComponent {
public:
    explicit TsuiThemeManager(framework::TComponent* owner = nullptr);

    TsuiUIStyle UIStyle() const { return uiStyle_; }
    // Stores the style, applies it, and calls OnUIStyleChanged when the value changed.
    void SetUIStyle(TsuiUIStyle style);

    TsuiFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TsuiFileTheme* theme);

    // Names of components of the owner form; the listed components that exist are applied in order.
    const framework::TStringList& CompList() const { return compList_; }
    void SetCompList(const framework::TStringList& names);

    std::function<void(TsuiThemeManager& sender)> OnUIStyleChanged;

protected:
    void Notification(framework::TComponent* component, framework::TOperation operation) override;

private:
    void Apply();

    TsuiUIStyle uiStyle_ = TsuiUIStyle::DeepBlue;
    TsuiFileTheme* fileTheme_ = nullptr;
    framework::TStringList compList_;
};

} // namespace qv::skin
