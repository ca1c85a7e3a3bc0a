#pragma once

#include <QImage>

namespace qv::skin {

// The three parts a scroll thumb is made of, each as long as it is along a vertical bar.
struct TThumbParts {
    QImage start;
    QImage grip;
    QImage end;
};

// A vertical thumb `length` pixels long. The skin's way: the start cap's first 3 rows, the end
// cap's last 3 rows and, between them, the grip centred with the rest of each cap stretched on
// its side (the grip alone stretched when the space is shorter than it). The built-in styles'
// way: the start cap at the start and the end cap at the end, the start cap's last row stretched
// between them.
QImage ComposeThumb(const TThumbParts& parts, int length, bool skin);

// The picture turned a quarter counter-clockwise (its top row becomes its left column), as a
// horizontal bar shows what is stored for a vertical one; and back.
QImage TurnForHorizontal(const QImage& picture);
QImage TurnForVertical(const QImage& picture);

} // namespace qv::skin
