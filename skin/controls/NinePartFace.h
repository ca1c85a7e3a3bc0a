#pragma once

#include <QImage>
#include <QRect>

class QPainter;

namespace qv::skin {

// Stretches a button face over the target as a grid of nine parts. With hw = face width div 2
// and hh = face height div 2, the top-left corner is the face's first hw columns and hh rows;
// the right corners start at column width - hw + 1 and the bottom ones at row height - hh + 1,
// so they are a pixel narrower or shorter. Each corner, clipped to half the target, is copied
// unscaled; the face's middle column and middle row are stretched along the edges between them
// and its middle pixel over the centre. Stretched parts show magenta as see-through; corners
// only when `transparentCorners`.
void DrawNinePartFace(QPainter& painter, const QRect& target, const QImage& face, bool transparentCorners);

} // namespace qv::skin
