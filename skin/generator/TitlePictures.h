#pragma once

#include "skin/generator/Look.h"

#include <QImage>

namespace qv::skin::generator {

enum class TTitleEnd { Left, Middle, Right };

enum class TGlyph { ControlBox, Help, Maximize, Restore, Minimize, Close };

// The colour of row y of a title picture of the look.
QColor TitleShade(const TLook& look, int y);

// A title section: the outline on top (and on the outer side at either end, with the look's
// rounded corner), the title shading inside. It shades only vertically, so it stretches freely.
QImage TitleSection(const TLook& look, int width, TTitleEnd end);

// The title buttons strip: 18 frames in groups of normal, mouse over and pressed, for control
// box, help, maximize, restore, minimize and close.
QImage TitleButtons(const TLook& look);

// A glyph of about 9 by 9 pixels centred on the point; `antialias` smooths the diagonals.
void DrawGlyph(QImage& image, QPoint centre, TGlyph glyph, const QColor& color, bool antialias);

} // namespace qv::skin::generator
