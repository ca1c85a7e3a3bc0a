#pragma once

#include "skin/TsuiTitleBarBtnType.h"
#include "skin/TsuiUIStyle.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

namespace qv::skin {

// One title bar button as the layout sees it: drawn only when visible and holding all three pictures.
struct TTitleBarButtonSlot {
    TsuiTitleBarBtnType type = TsuiTitleBarBtnType::suiCustom;
    bool visible = true;
    bool hasPictures = true;
    QSize size;
};

struct TTitleBarLayoutInput {
    int barWidth = 0;
    // The host's left inset: max(l, 4) for a skin with a left border, else the frame's bottom
    // thickness - 1 (the answer to the frame's inset query); 0 off a skinned form.
    int hostInset = 0;
    int leftBtnXOffset = 0;
    int rightBtnXOffset = 0;
    int buttonInterval = 0;
    int buttonTop = 0;
    int iconTop = 0;
    int captionTop = 0;
    bool drawAppIcon = true;
    // The effective style; FromThemeFile when a skin is drawn.
    TsuiUIStyle style = TsuiUIStyle::DeepBlue;
    std::vector<TTitleBarButtonSlot> buttons;
};

// Where the title bar draws its buttons, icon and caption, in bar coordinates.
struct TTitleBarLayout {
    // One per button, in collection order; empty for a button that isn't drawn here.
    std::vector<QRect> buttonRects;
    // Index of the control box button, or -1; its mouse rectangle and, without the application
    // icon, where its picture goes (one pixel higher).
    int controlBox = -1;
    QRect controlBoxRect;
    QPoint controlBoxPicture;
    // Top-left of the 16 by 16 application icon; meaningful only with drawAppIcon and a control box.
    QPoint icon;
    QPoint caption;
    // The caption ends before this x (the leftmost right-hand button).
    int captionRight = 0;
};

TTitleBarLayout LayOutTitleBar(const TTitleBarLayoutInput& input);

} // namespace qv::skin
