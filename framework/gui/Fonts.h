#pragma once

#include <QFont>
#include <QString>

namespace qv::framework {

// The application font of every window: "MS Sans Serif" at 11 pixels, as the layouts assume.
inline constexpr int kApplicationFontPixels = 11;

// Makes the Windows font names that layouts and skins use resolve to metric-close free fonts
// ("MS Sans Serif" to Liberation Sans, "Tahoma" to the free Tahoma) and sets the application
// font. Call once the application object exists and before the first window; later calls do
// nothing more.
void InitializeFonts();

// A font of the given family at a pixel size (a layout's negative font height, made positive),
// rendered the same way on every machine; a Windows name that the system lacks gives its free
// stand-in.
QFont PixelFont(const QString& family, int pixelSize, bool bold = false);

} // namespace qv::framework
