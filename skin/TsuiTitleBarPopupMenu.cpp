#include "skin/TsuiTitleBarPopupMenu.h"

#include "skin/TsuiTitleBar.h"

namespace qv::skin {

TsuiTitleBarPopupMenu::TsuiTitleBarPopupMenu(TsuiTitleBar& bar)
    : TsuiPopupMenu(&bar), bar_(bar), minimize_(addAction(QStringLiteral("Mi&nimize"))),
      maximize_(addAction(QStringLiteral("Ma&ximize/Restore"))) {
    addSeparator();
    close_ = addAction(QStringLiteral("&Close"));
    connect(minimize_, &QAction::triggered, this, [this] { bar_.window()->showMinimized(); });
    connect(maximize_, &QAction::triggered, this,
            [this] { bar_.RunVisibleButtons(TsuiTitleBarBtnType::suiMax); });
    connect(close_, &QAction::triggered, this, [this] { bar_.window()->close(); });
}

void TsuiTitleBarPopupMenu::Popup(QPoint position) {
    minimize_->setEnabled(bar_.HasVisibleButton(TsuiTitleBarBtnType::suiMin));
    maximize_->setEnabled(bar_.HasVisibleButton(TsuiTitleBarBtnType::suiMax));
    close_->setEnabled(bar_.HasVisibleButton(TsuiTitleBarBtnType::suiClose));
    // A popup is a window of its own, which takes no reading order from the bar by itself.
    setLayoutDirection(bar_.layoutDirection());
    if (bar_.layoutDirection() == Qt::RightToLeft) position.rx() += 176;
    popup(position);
}

} // namespace qv::skin
