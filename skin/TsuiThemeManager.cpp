#include "skin/TsuiThemeManager.h"

#include "framework/Conversions.h"
#include "framework/gui/Form.h"
#include "skin/ThemeProperties.h"
#include "skin/TsuiFileTheme.h"

namespace qv::skin {

namespace {

framework::TComponent* FindComponent(const framework::TComponent& owner, const std::string& name) {
    for (framework::TComponent* component : owner.Components())
        if (framework::SameText(component->Name(), name)) return component;
    return nullptr;
}

} // namespace

TsuiThemeManager::TsuiThemeManager(framework::TComponent* owner) : framework::TComponent(owner) {
    SetUIStyle(TsuiUIStyle::DeepBlue);
}

void TsuiThemeManager::SetUIStyle(TsuiUIStyle style) {
    const bool changed = style != uiStyle_;
    uiStyle_ = style;
    Apply();
    if (changed && OnUIStyleChanged) OnUIStyleChanged(*this);
}

void TsuiThemeManager::SetFileTheme(TsuiFileTheme* theme) {
    if (fileTheme_ && fileTheme_ != theme) RemoveFreeNotification(fileTheme_);
    fileTheme_ = theme;
    if (fileTheme_) FreeNotification(fileTheme_);
    SetUIStyle(uiStyle_);
}

void TsuiThemeManager::SetCompList(const framework::TStringList& names) {
    compList_ = names;
}

void TsuiThemeManager::Apply() {
    const framework::TComponent* owner = Owner();
    if (!dynamic_cast<const framework::TForm*>(owner)) return;
    for (int i = 0; i < compList_.Count(); ++i) {
        framework::TComponent* component = FindComponent(*owner, compList_[i]);
        auto* control = dynamic_cast<QObject*>(component);
        if (!control) continue;
        // A listed component that goes away is struck from the list.
        FreeNotification(component);
        WriteUIStyle(control, uiStyle_);
        WriteFileTheme(control, fileTheme_);
    }
}

void TsuiThemeManager::Notification(framework::TComponent* component, framework::TOperation operation) {
    framework::TComponent::Notification(component, operation);
    if (operation != framework::TOperation::opRemove) return;
    if (component == fileTheme_) {
        fileTheme_ = nullptr;
        uiStyle_ = TsuiUIStyle::DeepBlue;
        return;
    }
    for (int i = compList_.Count() - 1; i >= 0; --i)
        if (framework::SameText(compList_[i], component->Name())) compList_.Delete(i);
}

} // namespace qv::skin
