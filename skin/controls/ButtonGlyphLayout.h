#pragma once

#include <QPoint>
#include <QSize>

namespace qv::skin {

// Where a button's glyph goes beside its caption.
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TGlyphPlacement {
    QPoint glyph;
    QPoint caption;
};

// Where a glyph of one image and the caption beside it go in a button, divisions truncating.
// The glyph is centred with the caption on the layout's side, `spacing` pixels apart.
TGlyphPlacement PlaceGlyph(TButtonLayout layout, QSize button, QSize glyph, QSize caption, int spacing);

} // namespace qv::skin
