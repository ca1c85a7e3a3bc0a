#pragma once

#include "framework/gui/TColor.h"
#include "skin/TsuiUIStyle.h"

#include <QImage>

#include <cstdint>

namespace qv::skin {

// The built-in style tables: 48 rows (1 to 48), each an integer, a colour, a bitmap resource
// name or a flag, with the same kind of row in all five styles. Every lookup takes an
// effective style, MacOS to BlueGlass; any other style yields the lookup's default.
inline constexpr int kStyleRowCount = 48;

// The rows by what the controls read from them. Rows that no control reads keep their number.
enum class TStyleRow : int {
    ButtonFaces = 1,
    ButtonTransparent = 2,
    CheckBox = 3,
    RadioButton = 4,
    TitleButtons = 5,
    TitleButtonsTransparent = 6,
    TitleLeftOffset = 7,
    TitleRightOffset = 8,
    TitleButtonTop = 9,
    TitleLeft = 10,
    TitleClient = 11,
    TitleRight = 12,
    MinimumWidth = 13,
    RoundCorner = 14,
    FormColor = 15,
    FormBorderColor = 16,
    FormBorderWidth = 17,
    MenuSelectedBorderColor = 18,
    MenuSelectedColor = 19,
    MenuSelectedFontColor = 20,
    MenuItemColor = 21,
    MenuFontColor = 22,
    MenuSideBarColor = 23,
    ProgressBar = 24,
    ControlBorderColor = 25,
    GridColor = 26,
    Row27 = 27,
    TrackBar = 28,
    TrackBarSlider = 29,
    TrackBarVerticalSlider = 30,
    ScrollBarColor = 31,
    ScrollBarButtons = 32,
    ScrollBarThumb = 33,
    CheckList = 34,
    ToolBarColor1 = 35,
    ToolBarColor2 = 36,
    ToolBarColor3 = 37,
    ScrollButtons = 38,
    Tab = 39,
    TabLine = 40,
    SideChannelHandle = 41,
    SideChannelBar = 42,
    Row43 = 43,
    Row44 = 44,
    Row45 = 45,
    Row46 = 46,
    Row47 = 47,
    Row48 = 48,
};

// Loads the row's bitmap resource into the target; with a frame count other than 0, only frame
// `frameIndex` of `frameCount` (the strip rule). Returns false and leaves the target unchanged
// for a row that isn't a bitmap row, names no resource, or has no such frame.
bool GetStyleBitmap(TsuiUIStyle style, TStyleRow row, QImage& target, int frameIndex = 0, int frameCount = 0);

// The colour, or 0 when the row isn't a colour row.
framework::TColor GetStyleColor(TsuiUIStyle style, TStyleRow row);

// The integer, or -1 when the row isn't an integer row.
int32_t GetStyleInt(TsuiUIStyle style, TStyleRow row);

// The flag, or false when the row isn't a flag row.
bool GetStyleBool(TsuiUIStyle style, TStyleRow row);

} // namespace qv::skin
