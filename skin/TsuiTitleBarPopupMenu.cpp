#include "skin/TsuiTitleBarPopupMenu.h"

#include "skin/TsuiTitleBarCommands.h"

namespace qv::skin {

TsuiTitleBarPopupMenu::TsuiTitleBarPopupMenu(QWidget& bar, TsuiTitleBarCommands& buttons)
    : TsuiPopupMenu(&bar), bar_(bar), buttons_(buttons), minimize_(addAction(QStringLiteral("Mi&nimize"))),
      maximize_(addAction(QStringLiteral("Ma&ximize/Restore"))) {
    addSeparator();
    close_ = addAction(QStringLiteral("&Close"));
    connect(minimize_, &QAction::triggered, this, [this] { bar_.window()->showMinimized(); });
    connect(maximize_, &QAction::triggered, this,
            [this] { buttons_.RunVisibleButtons(TsuiTitleBarBtnType::suiMax); });
    connect(close_, &QAction::triggered, this, [this] { bar_.window()->close(); });
}

void TsuiTitleBarPopupMenu::Popup(QPoint position) {
    minimize_->setEnabled(buttons_.HasVisibleButton(TsuiTitleBarBtnType::suiMin));
    maximize_->setEnabled(buttons_.HasVisibleButton(TsuiTitleBarBtnType::suiMax));
    close_->setEnabled(buttons_.HasVisibleButton(TsuiTitleBarBtnType::suiClose));
    // A popup is a window of its own, which takes no reading order from the bar by itself.
    setLayoutDirection(bar_.layoutDirection());
    if (bar_.layoutDirection() == Qt::RightToLeft) position.rx() += 176;
    popup(position);
}

} // namespace qv::skin
