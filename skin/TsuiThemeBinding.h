#pragma once

#include "framework/Component.h"
#include "skin/TsuiUIStyle.h"

#include <functional>

namespace qv::skin {

class TsuiFileTheme;

// The UIStyle and FileTheme pair every skinned control carries, and the rule that turns the pair
// into what the control paints with. The control publishes both as Qt properties whose setters
// call the binding's, starts with UIStyle = GetFormStyle(owner), and forwards its Notification.
class TsuiThemeBinding {
public:
    // `apply` reads the control's items from FileTheme() when UsingTheme(), else its rows of the
    // built-in table for EffectiveStyle(), and repaints.
    TsuiThemeBinding(framework::TComponent& control, std::function<void()> apply);

    TsuiUIStyle UIStyle() const { return uiStyle_; }
    // Stores the style, decides where the control draws from and applies.
    void SetUIStyle(TsuiUIStyle style);

    TsuiFileTheme* FileTheme() const { return fileTheme_; }
    // Stores the theme (never owned), then applies the current style again.
    void SetFileTheme(TsuiFileTheme* theme);

    bool UsingTheme() const { return usingTheme_; }
    TsuiUIStyle EffectiveStyle() const { return effectiveStyle_; }

    // A removed theme is dropped and the control falls back to DeepBlue.
    void Notification(framework::TComponent* component, framework::TOperation operation);

private:
    framework::TComponent& control_;
    std::function<void()> apply_;
    TsuiUIStyle uiStyle_ = TsuiUIStyle::DeepBlue;
    TsuiFileTheme* fileTheme_ = nullptr;
    bool usingTheme_ = false;
    TsuiUIStyle effectiveStyle_ = TsuiUIStyle::DeepBlue;
};

} // namespace qv::skin
