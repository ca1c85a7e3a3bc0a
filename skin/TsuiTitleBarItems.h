#pragma once

#include "skin/TsuiTitleBarBtnType.h"
#include "skin/TsuiUIStyle.h"

#include <QImage>
#include <QMenu>
#include <QPointer>

namespace qv::skin {

enum class TsuiTitleBarAlign { suiLeft, suiRight, suiClient };

// One title picture of the bar, placed by its alignment.
struct TsuiTitleBarSection {
    bool AutoSize = false;
    int Width = 10;
    TsuiTitleBarAlign Align = TsuiTitleBarAlign::suiLeft;
    QImage Picture;
    bool Stretch = false;
    bool CapSec = false;

    int EffectiveWidth() const { return AutoSize && !Picture.isNull() ? Picture.width() : Width; }
};

// One window button of the bar; drawn and clickable only with all three pictures.
struct TsuiTitleBarButton {
    // The style its pictures come from; the bar sets it with its own, and
    // TsuiTitleBar::SetButtonUIStyle gives one button another.
    TsuiUIStyle UIStyle = TsuiUIStyle::DeepBlue;
    TsuiTitleBarBtnType ButtonType = TsuiTitleBarBtnType::suiCustom;
    bool Transparent = false;
    int Top = 2;
    bool Visible = true;
    // For a control box: the menu it pops up in place of the window menu; not owned.
    QPointer<QMenu> ControlBoxMenu;
    QImage PicNormal;
    QImage PicMouseOn;
    QImage PicMouseDown;

    bool HasPictures() const { return !PicNormal.isNull() && !PicMouseOn.isNull() && !PicMouseDown.isNull(); }
};

} // namespace qv::skin
