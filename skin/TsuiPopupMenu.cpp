#include "skin/TsuiPopupMenu.h"

#include "skin/BuiltInStyles.h"
#include "skin/TsuiFileTheme.h"
#include "skin/TsuiMenuStyle.h"

namespace qv::skin {

TsuiPopupMenu::TsuiPopupMenu(QWidget* parent)
    : QMenu(parent), menuStyle_(std::make_unique<TsuiMenuStyle>(*this)) {
    setStyle(menuStyle_.get());
    SetSkin(TsuiUIStyle::DeepBlue, nullptr);
}

TsuiPopupMenu::~TsuiPopupMenu() = default;

void TsuiPopupMenu::SetSkin(TsuiUIStyle effectiveStyle, const TsuiFileTheme* theme) {
    style_ = theme ? TsuiUIStyle::FromThemeFile : effectiveStyle;
    if (theme) {
        colors_ = {
            theme->GetColor(SKIN2_LEFTBARSTARTCOLOR),     theme->GetColor(SKIN2_LEFTBARENDCOLOR),
            theme->GetColor(SKIN2_MENUITEMCOLOR),         theme->GetColor(SKIN2_MENUITEMFONTCOLOR),
            theme->GetColor(SKIN2_SELECTEDMENUCOLOR),     theme->GetColor(SKIN2_SELECTEDMENUBORDERCOLOR),
            theme->GetColor(SKIN2_SELECTEDMENUFONTCOLOR), theme->GetColor(SKIN2_FORMCOLOR)};
    } else {
        colors_ = {GetStyleColor(style_, 23), GetStyleColor(style_, 23), GetStyleColor(style_, 21),
                   GetStyleColor(style_, 22), GetStyleColor(style_, 19), GetStyleColor(style_, 18),
                   GetStyleColor(style_, 20), GetStyleColor(style_, 15)};
    }
    update();
}

} // namespace qv::skin
