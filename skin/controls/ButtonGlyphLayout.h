#pragma once

#include "skin/controls/TsuiButton.h"

#include <QPoint>
#include <QSize>

namespace qv::skin {

// Where a glyph of one image and the caption beside it go in a button, divisions truncating.
// The glyph is centred with the caption on the layout's side, `spacing` pixels apart.
TGlyphPlacement PlaceGlyph(TButtonLayout layout, QSize button, QSize glyph, QSize caption, int spacing);

} // namespace qv::skin
