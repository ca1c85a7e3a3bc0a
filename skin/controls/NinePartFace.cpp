#include "skin/controls/NinePartFace.h"

#include "skin/PaintHelpers.h"

#include <QPainter>

#include <algorithm>

namespace qv::skin {

void DrawNinePartFace(QPainter& painter, const QRect& target, const QImage& face, bool transparentCorners) {
    const int w = face.width();
    const int h = face.height();
    const int W = target.width();
    const int H = target.height();
    if (w < 2 || h < 2 || W <= 0 || H <= 0) return;
    const int hw = w / 2;
    const int hh = h / 2;
    const int left = std::min(hw, W / 2);
    const int right = std::min(hw - 1, W / 2);
    const int top = std::min(hh, H / 2);
    const int bottom = std::min(hh - 1, H / 2);
    const int middleW = W - left - right;
    const int middleH = H - top - bottom;
    const QImage stretched = KeyedTransparent(face, framework::clTransparencyKey);
    const QImage corners = transparentCorners ? stretched : face;
    const int x0 = target.left();
    const int y0 = target.top();
    const int xRight = x0 + W - right;
    const int yBottom = y0 + H - bottom;

    painter.drawImage(QPoint(x0, y0), corners, QRect(0, 0, left, top));
    painter.drawImage(QPoint(xRight, y0), corners, QRect(w - right, 0, right, top));
    painter.drawImage(QPoint(x0, yBottom), corners, QRect(0, h - bottom, left, bottom));
    painter.drawImage(QPoint(xRight, yBottom), corners, QRect(w - right, h - bottom, right, bottom));
    if (middleW > 0) {
        painter.drawImage(QRect(x0 + left, y0, middleW, top), stretched, QRect(hw, 0, 1, top));
        painter.drawImage(QRect(x0 + left, yBottom, middleW, bottom), stretched,
                          QRect(hw, h - bottom, 1, bottom));
    }
    if (middleH > 0) {
        painter.drawImage(QRect(x0, y0 + top, left, middleH), stretched, QRect(0, hh, left, 1));
        painter.drawImage(QRect(xRight, y0 + top, right, middleH), stretched, QRect(w - right, hh, right, 1));
    }
    if (middleW > 0 && middleH > 0)
        painter.drawImage(QRect(x0 + left, y0 + top, middleW, middleH), stretched, QRect(hw, hh, 1, 1));
}

} // namespace qv::skin
