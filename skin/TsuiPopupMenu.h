#pragma once

#include "framework/gui/TColor.h"
#include "skin/TsuiUIStyle.h"

#include <QMenu>

#include <memory>

namespace qv::skin {

class TsuiFileTheme;
class TsuiMenuStyle;

// The colours a skinned popup menu paints with, from a skin or a built-in style.
struct TsuiMenuColors {
    framework::TColor sideBarStart = 0;
    framework::TColor sideBarEnd = 0;
    framework::TColor background = 0;
    framework::TColor text = 0;
    framework::TColor selectionFill = 0;
    framework::TColor selectionFrame = 0;
    framework::TColor selectedText = 0;
    framework::TColor frame = 0;
};

// A popup menu that draws its items itself: a side bar at the left, the selection filled and
// framed, separators as thin lines, in the colours of its skin or style.
class TsuiPopupMenu : public QMenu {
    Q_OBJECT

public:
    explicit TsuiPopupMenu(QWidget* parent = nullptr);
    ~TsuiPopupMenu() override;

    // Takes the colours of the skin when `theme` is given, else of the built-in style.
    void SetSkin(TsuiUIStyle effectiveStyle, const TsuiFileTheme* theme);
    const TsuiMenuColors& Colors() const { return colors_; }
    TsuiUIStyle EffectiveStyle() const { return style_; }

private:
    TsuiMenuColors colors_;
    TsuiUIStyle style_ = TsuiUIStyle::DeepBlue;
    std::unique_ptr<TsuiMenuStyle> menuStyle_;
};

} // namespace qv::skin
