#pragma once

#include <QRect>

class QWidget;

namespace qv::framework {

// How a control docks to a side of its container, or fills what the others leave free.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Kept on the control itself, so that any widget can be aligned by its container.
void SetAlign(QWidget& control, TAlign align);
TAlign GetAlign(const QWidget& control);

// Docks the container's aligned child controls that aren't hidden inside `area`: first those aligned to
// the top, then bottom, left and right, each taking its side of what the ones before left free,
// and last the client-aligned ones, which take the rest. Within one alignment the children go in
// the order they were created. Answers what is left free.
QRect AlignControls(QWidget& container, QRect area);

// Asks the control's container to dock its children again, for example after the control's own
// size changed; containers that align answer the layout request at once.
void RealignParent(QWidget& control);

} // namespace qv::framework
