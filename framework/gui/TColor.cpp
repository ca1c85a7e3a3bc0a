#include "framework/gui/TColor.h"

#include <array>

namespace qv::framework {

namespace {

// The classic desktop scheme, by system colour index, as 0x00BBGGRR.
constexpr std::array<TColor, 31> kSystemColors = {
    0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0x6A240A, 0xC8D0D4,
};

} // namespace

TColor ColorToRGB(TColor color) {
    if ((color & clSystemColor) == 0) return color & 0xFFFFFF;
    const TColor index = color & ~clSystemColor;
    return index < kSystemColors.size() ? kSystemColors[index] : clBlack;
}

QColor ColorToQColor(TColor color) {
    const TColor plain = ColorToRGB(color);
    return QColor(static_cast<int>(plain & 0xFF), static_cast<int>(plain >> 8 & 0xFF),
                  static_cast<int>(plain >> 16 & 0xFF));
}

TColor QColorToColor(const QColor& color) {
    return RGBToColor(static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
                      static_cast<uint8_t>(color.blue()));
}

} // namespace qv::framework
