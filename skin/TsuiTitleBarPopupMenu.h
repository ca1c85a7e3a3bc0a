#pragma once

#include "skin/TsuiPopupMenu.h"

namespace qv::skin {

class TsuiTitleBarCommands;

// The window menu of a title bar: minimize, maximize or restore, and close, each enabled only
// while the bar shows a visible button of that kind.
class TsuiTitleBarPopupMenu : public TsuiPopupMenu {
    Q_OBJECT

public:
    // The bar is the menu's parent and answers for its buttons.
    TsuiTitleBarPopupMenu(QWidget& bar, TsuiTitleBarCommands& buttons);

    // Enables the commands for the bar's buttons, then pops up at the screen position.
    void Popup(QPoint position);
    QAction* MinimizeItem() const { return minimize_; }
    QAction* MaximizeItem() const { return maximize_; }
    QAction* CloseItem() const { return close_; }

private:
    QWidget& bar_;
    TsuiTitleBarCommands& buttons_;
    QAction* minimize_;
    QAction* maximize_;
    QAction* close_;
};

} // namespace qv::skin
