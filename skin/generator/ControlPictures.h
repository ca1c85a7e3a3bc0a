#pragma once

#include "skin/generator/Look.h"

#include <QImage>

namespace qv::skin::generator {

// Push button faces: normal, mouse over, pressed, each w by h.
QImage ButtonFaces(const TLook& look, int w, int h);

// Check boxes of size s: unchecked, unchecked under the mouse, checked, checked under the mouse,
// then unchecked and checked disabled; `compact` leaves out the two mouse-over frames.
QImage CheckBoxes(const TLook& look, int s, bool compact);

// Radio buttons of size s on the key colour: off, off under the mouse, on, on under the mouse.
QImage RadioButtons(const TLook& look, int s);

// A progress bar: its end column, its empty track and its filled part.
QImage ProgressEnd(const TLook& look, int h);
QImage ProgressTrack(const TLook& look, int w, int h);
QImage ProgressFill(const TLook& look, int w, int h);

QImage TrackGroove(const TLook& look, int w, int h);
// The track bar's thumb, pointing down, or right when `sideways`.
QImage TrackSlider(const TLook& look, int w, int h, bool sideways);

// Scroll arrow buttons of a vertical bar, w by h each: normal, mouse over, pressed.
QImage ScrollArrows(const TLook& look, int w, int h, Qt::ArrowType arrow);
// A vertical thumb w by h: rounded start cap, grip and rounded end cap in equal thirds.
QImage ScrollThumb(const TLook& look, int w, int h);
// The same three parts laid side by side as frames.
QImage ScrollThumbParts(const TLook& look, int w, int h);

// Small arrow buttons s by s: left, left pressed, right, right pressed.
QImage ScrollButtons(const TLook& look, int s);

// Tabs w by h: the active one, then an inactive one.
QImage Tabs(const TLook& look, int w, int h);

// A vertical handle with a dotted grip.
QImage SideHandle(const TLook& look, int w, int h);

// A caption bar that shades top to bottom and ends in an edge line.
QImage CaptionBar(const TLook& look, int w, int h);

// A check mark on the background colour.
QImage CheckMark(int s, const QColor& mark, const QColor& background);

// A filled triangle pointing the arrow's way, centred in the box.
void DrawArrow(QImage& image, const QRect& box, Qt::ArrowType arrow, const QColor& color);

} // namespace qv::skin::generator
