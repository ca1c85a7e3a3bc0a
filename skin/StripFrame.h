#pragma once

#include <QImage>
#include <QRect>

namespace qv::skin {

// Frame `index` (from 1) of a strip of `count` equally wide frames: width = strip width div
// count at x = (index - 1) x width, except that the last frame is the rightmost `width` pixels.
// An empty rectangle when the index or count is out of range or the frames would be empty.
QRect StripFrameRect(int stripWidth, int stripHeight, int index, int count);

// Copies the frame into `target`; leaves it unchanged and returns false when there is no such frame.
bool CopyStripFrame(const QImage& strip, int index, int count, QImage& target);

} // namespace qv::skin
