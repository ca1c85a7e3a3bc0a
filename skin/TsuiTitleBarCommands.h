#pragma once

#include "skin/TsuiTitleBarBtnType.h"

namespace qv::skin {

// What the window menu asks of the title bar whose buttons it stands for.
class TsuiTitleBarCommands {
public:
    // Whether the bar shows a button of the type.
    virtual bool HasVisibleButton(TsuiTitleBarBtnType type) const = 0;
    // Runs the action of every visible button of the type, in collection order.
    virtual void RunVisibleButtons(TsuiTitleBarBtnType type) = 0;

protected:
    ~TsuiTitleBarCommands() = default;
};

} // namespace qv::skin
