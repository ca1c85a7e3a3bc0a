#include "skin/TsuiThemeBinding.h"

#include "skin/ThemeFunctions.h"
#include "skin/TsuiFileTheme.h"

namespace qv::skin {

TsuiThemeBinding::TsuiThemeBinding(framework::TComponent& control, std::function<void()> apply)
    : control_(control), apply_(std::move(apply)) {}

void TsuiThemeBinding::SetUIStyle(TsuiUIStyle style) {
    uiStyle_ = style;
    usingTheme_ = UsingFileTheme(fileTheme_, uiStyle_, effectiveStyle_);
    if (apply_) apply_();
}

void TsuiThemeBinding::SetFileTheme(TsuiFileTheme* theme) {
    if (fileTheme_ && fileTheme_ != theme) control_.RemoveFreeNotification(fileTheme_);
    fileTheme_ = theme;
    if (fileTheme_) control_.FreeNotification(fileTheme_);
    SetUIStyle(uiStyle_);
}

void TsuiThemeBinding::Notification(framework::TComponent* component, framework::TOperation operation) {
    if (operation != framework::TOperation::opRemove || !component || component != fileTheme_) return;
    fileTheme_ = nullptr;
    SetUIStyle(TsuiUIStyle::DeepBlue);
}

} // namespace qv::skin
