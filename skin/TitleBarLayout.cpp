#include "skin/TitleBarLayout.h"

#include "skin/TsuiTitleBarHost.h"

#include <algorithm>

namespace qv::skin {

TTitleBarLayout LayOutTitleBar(const TTitleBarLayoutInput& input) {
    TTitleBarLayout layout;
    layout.buttonRects.resize(input.buttons.size());
    const int a = input.hostInset;
    int c = input.barWidth + a - input.rightBtnXOffset - 1;
    for (size_t i = 0; i < input.buttons.size(); ++i) {
        const TTitleBarButtonSlot& button = input.buttons[i];
        if (!button.visible || !button.hasPictures) continue;
        if (button.type == TsuiTitleBarBtnType::suiControlBox) {
            if (layout.controlBox < 0) layout.controlBox = static_cast<int>(i);
            continue;
        }
        const int width = button.size.width();
        c -= button.type == TsuiTitleBarBtnType::suiClose ? width : width + input.buttonInterval + 1;
        if (input.barWidth < c + width + 1) c = input.barWidth - width - 1;
        layout.buttonRects[i] = QRect(c, input.buttonTop, width + 1, button.size.height() + 1);
    }
    layout.captionRight = c;

    int x0 = std::max(0, input.leftBtnXOffset - (a - 1) - 4);
    if (layout.controlBox >= 0) {
        const QSize box = input.buttons[static_cast<size_t>(layout.controlBox)].size;
        layout.controlBoxRect = QRect(QPoint(x0, input.iconTop), box);
        if (input.drawAppIcon) {
            layout.icon = QPoint(x0 + 3, input.iconTop);
            x0 += 21;
        } else {
            layout.controlBoxPicture = QPoint(x0, input.iconTop - 1);
            x0 += box.width() + 5;
        }
    }
    if (x0 == 0) x0 = 6;
    if (input.style == TsuiUIStyle::FromThemeFile)
        layout.caption = QPoint(x0, input.captionTop - kFrameTopStrip);
    else
        layout.caption = QPoint(x0, input.buttonTop + (input.style == TsuiUIStyle::Protein ? 3 : 0));
    return layout;
}

} // namespace qv::skin
