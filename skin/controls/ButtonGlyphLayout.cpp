#include "skin/controls/ButtonGlyphLayout.h"

namespace qv::skin {

TGlyphPlacement PlaceGlyph(TButtonLayout layout, QSize button, QSize glyph, QSize caption, int spacing) {
    const int W = button.width();
    const int H = button.height();
    const int gw = glyph.width();
    const int gh = glyph.height();
    const int tw = caption.width();
    const int th = caption.height();
    const int S = spacing;
    TGlyphPlacement placement;
    switch (layout) {
    case TButtonLayout::blGlyphLeft:
        placement.glyph = QPoint((W - gw - tw - S) / 2, (H - gh) / 2);
        placement.caption = QPoint(placement.glyph.x() + gw + S, (H - th) / 2);
        break;
    case TButtonLayout::blGlyphRight:
        placement.glyph = QPoint((W + tw + S - gw) / 2, (H - gh) / 2);
        placement.caption = QPoint(placement.glyph.x() - tw - S, (H - th) / 2);
        break;
    case TButtonLayout::blGlyphTop:
        placement.glyph = QPoint((W - gw) / 2, (H - th - gh - S) / 2);
        placement.caption = QPoint((W - tw) / 2, placement.glyph.y() + gh + S);
        break;
    case TButtonLayout::blGlyphBottom:
        placement.glyph = QPoint((W - gw) / 2, (H + th + S - gh) / 2);
        placement.caption = QPoint((W - tw) / 2, placement.glyph.y() - th - S);
        break;
    }
    return placement;
}

} // namespace qv::skin
