#pragma once

#include "framework/TColor.h"
#include "skin/TsuiUIStyle.h"

#include <QImage>

#include <cstdint>

namespace qv::skin {

// The built-in style tables: 48 rows (1 to 48), each an integer, a colour, a bitmap resource
// name or a flag, with the same kind of row in all five styles. Every lookup takes an
// effective style, MacOS to BlueGlass; any other style yields the lookup's default.
inline constexpr int kStyleRowCount = 48;

// Loads the row's bitmap resource into the target; with a frame count other than 0, only frame
// `frameIndex` of `frameCount` (the strip rule). Returns false and leaves the target unchanged
// for a row that isn't a bitmap row, names no resource, or has no such frame.
bool GetStyleBitmap(TsuiUIStyle style, int row, QImage& target, int frameIndex = 0, int frameCount = 0);

// The colour, or 0 when the row isn't a colour row.
framework::TColor GetStyleColor(TsuiUIStyle style, int row);

// The integer, or -1 when the row isn't an integer row.
int32_t GetStyleInt(TsuiUIStyle style, int row);

// The flag, or false when the row isn't a flag row.
bool GetStyleBool(TsuiUIStyle style, int row);

} // namespace qv::skin
