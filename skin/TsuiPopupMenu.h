#pragma once

#include "skin/TsuiMenuLook.h"
#include "skin/TsuiUIStyle.h"

#include <QMenu>

#include <memory>

namespace qv::skin {

class TsuiFileTheme;
class TsuiMenuStyle;

// A popup menu that draws its items itself: a side bar at the left, the selection filled and
// framed, separators as thin lines, in the colours of its skin or style.
class TsuiPopupMenu : public QMenu {
    Q_OBJECT

public:
    explicit TsuiPopupMenu(QWidget* parent = nullptr);
    ~TsuiPopupMenu() override;

    // Takes the colours of the skin when `theme` is given, else of the built-in style.
    void SetSkin(TsuiUIStyle effectiveStyle, const TsuiFileTheme* theme);
    const TsuiMenuColors& Colors() const { return look_.colors; }
    TsuiUIStyle EffectiveStyle() const { return look_.style; }

private:
    // Read by the menu style as it draws.
    TsuiMenuLook look_;
    std::unique_ptr<TsuiMenuStyle> menuStyle_;
};

} // namespace qv::skin
