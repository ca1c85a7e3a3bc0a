#include "skin/StripFrame.h"

namespace qv::skin {

QRect StripFrameRect(int stripWidth, int stripHeight, int index, int count) {
    if (count <= 0 || index < 1 || index > count || stripHeight <= 0) return {};
    const int width = stripWidth / count;
    if (width <= 0) return {};
    const int x = index == count ? stripWidth - width : (index - 1) * width;
    return QRect(x, 0, width, stripHeight);
}

bool CopyStripFrame(const QImage& strip, int index, int count, QImage& target) {
    const QRect frame = StripFrameRect(strip.width(), strip.height(), index, count);
    if (frame.isEmpty()) return false;
    target = strip.copy(frame);
    return true;
}

} // namespace qv::skin
