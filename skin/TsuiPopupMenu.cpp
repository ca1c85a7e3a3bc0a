#include "skin/TsuiPopupMenu.h"

#include "skin/BuiltInStyles.h"
#include "skin/TsuiFileTheme.h"
#include "skin/TsuiMenuStyle.h"

namespace qv::skin {

TsuiPopupMenu::TsuiPopupMenu(QWidget* parent)
    : QMenu(parent), menuStyle_(std::make_unique<TsuiMenuStyle>(look_)) {
    setStyle(menuStyle_.get());
    SetSkin(TsuiUIStyle::DeepBlue, nullptr);
}

TsuiPopupMenu::~TsuiPopupMenu() = default;

void TsuiPopupMenu::SetSkin(TsuiUIStyle effectiveStyle, const TsuiFileTheme* theme) {
    look_.style = theme ? TsuiUIStyle::FromThemeFile : effectiveStyle;
    if (theme) {
        look_.colors = {
            theme->GetColor(SKIN2_LEFTBARSTARTCOLOR),     theme->GetColor(SKIN2_LEFTBARENDCOLOR),
            theme->GetColor(SKIN2_MENUITEMCOLOR),         theme->GetColor(SKIN2_MENUITEMFONTCOLOR),
            theme->GetColor(SKIN2_SELECTEDMENUCOLOR),     theme->GetColor(SKIN2_SELECTEDMENUBORDERCOLOR),
            theme->GetColor(SKIN2_SELECTEDMENUFONTCOLOR), theme->GetColor(SKIN2_FORMCOLOR)};
    } else {
        const auto color = [this](TStyleRow row) { return GetStyleColor(look_.style, row); };
        look_.colors = {color(TStyleRow::MenuSideBarColor),      color(TStyleRow::MenuSideBarColor),
                        color(TStyleRow::MenuItemColor),         color(TStyleRow::MenuFontColor),
                        color(TStyleRow::MenuSelectedColor),     color(TStyleRow::MenuSelectedBorderColor),
                        color(TStyleRow::MenuSelectedFontColor), color(TStyleRow::FormColor)};
    }
    update();
}

} // namespace qv::skin
