#include "skin/generator/AppIcon.h"

#include "skin/generator/Look.h"
#include "skin/generator/PictureKit.h"

namespace qv::skin::generator {

QImage MainIcon() {
    const TLook& look = EmbeddedLook();
    QImage icon = NewPicture(16, 16, kKeyColor);
    DrawBox(icon, QRect(0, 0, 16, 16), 3, look.titleEdge.darker(120), look.accent.lighter(125),
            look.titleEdge, false);
    TPen pen(icon);
    const QColor paper(0xFF, 0xFF, 0xFF);
    const QColor fold(0xC9, 0xD6, 0xEE);
    pen->fillRect(QRect(4, 3, 6, 10), paper);
    pen->fillRect(QRect(10, 6, 2, 7), paper);
    pen.Line(10, 3, 12, 5, fold);
    pen.Pixel(10, 4, fold);
    pen.Pixel(10, 5, fold);
    pen.Pixel(11, 5, fold);
    for (const int y : {6, 8, 10})
        pen.Line(5, y, y == 10 ? 8 : 10, y, look.accent);
    return icon;
}

} // namespace qv::skin::generator
