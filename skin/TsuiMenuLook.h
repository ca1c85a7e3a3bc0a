#pragma once

#include "framework/gui/TColor.h"
#include "skin/TsuiUIStyle.h"

namespace qv::skin {

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

// What a skinned popup menu is drawn in: the style whose metrics it takes, and its colours.
struct TsuiMenuLook {
    TsuiUIStyle style = TsuiUIStyle::DeepBlue;
    TsuiMenuColors colors;
};

} // namespace qv::skin
