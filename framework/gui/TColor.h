#pragma once

#include <QColor>

#include <cstdint>

namespace qv::framework {

// A colour as layouts, skins and style tables store it: 0x00BBGGRR for a plain colour; a value
// with the high bit set names a system colour by its index in the low byte.
using TColor = uint32_t;

inline constexpr TColor clSystemColor = 0x80000000u;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clGray = 0x808080;
// Pictures mark the pixels they leave to their background with this colour (magenta).
inline constexpr TColor clTransparencyKey = 0xFF00FF;
inline constexpr TColor clInactiveCaption = clSystemColor | 3;
inline constexpr TColor clWindow = clSystemColor | 5;
inline constexpr TColor clBtnFace = clSystemColor | 15;
inline constexpr TColor clInfoBk = clSystemColor | 24;

inline constexpr TColor RGBToColor(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<TColor>(red) | static_cast<TColor>(green) << 8 | static_cast<TColor>(blue) << 16;
}

// The plain colour a value shows: system colours take the desktop's classic defaults, so that
// pictures stay the same on every machine; an unknown system colour shows black.
TColor ColorToRGB(TColor color);

QColor ColorToQColor(TColor color);
TColor QColorToColor(const QColor& color);

} // namespace qv::framework
