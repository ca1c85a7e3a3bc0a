#pragma once

#include <QRect>

class QPainter;

namespace qv::framework {

// The system's focus rectangle: every other pixel of the rectangle's outline inverted.
void DrawFocusRect(QPainter& painter, const QRect& rect);

} // namespace qv::framework
