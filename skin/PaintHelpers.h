#pragma once

#include "framework/gui/TColor.h"

#include <QImage>
#include <QPainter>

namespace qv::skin {

// The three-part rule: the picture's left third at the target's left, its right third at the
// target's right and its middle third stretched between (thirds of width div 3). A target
// narrower than one third gets the start of the picture cut to the target's width.
void DrawThreePart(QPainter& painter, const QRect& target, const QImage& picture);

// A gradient across the rectangle (left to right for Qt::Horizontal, top to bottom otherwise):
// the first column or row in `from`, the last in `to`, each one between interpolated per
// channel at its distance from the start divided by the total size.
void DrawGradient(QPainter& painter, const QRect& rect, framework::TColor from, framework::TColor to,
                  Qt::Orientation orientation);

// A one-pixel outline just inside the rectangle, filled rather than stroked so that it stays on
// the outermost pixels at any device pixel ratio.
void FrameRect(QPainter& painter, const QRect& rect, framework::TColor color);

// The picture with its key-coloured pixels shown in another colour.
QImage KeyedOver(const QImage& picture, framework::TColor key, framework::TColor fill);

// The picture with its key-coloured pixels see-through.
QImage KeyedTransparent(const QImage& picture, framework::TColor key);

} // namespace qv::skin
