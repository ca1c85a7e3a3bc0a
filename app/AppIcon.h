#pragma once

#include <QIcon>
#include <QImage>

#include <array>

namespace qv::app {

// The sizes the program's icon is drawn at, for the window and for the desktop's icon theme.
inline constexpr std::array<int, 6> kIconSizes = {16, 32, 48, 64, 128, 256};

// The program's icon, the skin's 16 by 16 tender sheet, grown by whole pixels so that it stays
// sharp; transparent around the tile.
QImage AppIconImage(int size);
// The same as an icon that offers kIconSizes and draws each size only when it is asked for.
QIcon AppIcon();

} // namespace qv::app
