#pragma once

#include "framework/gui/TColor.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <string>
#include <vector>

namespace qv::skin::generator {

// The key colour that marks pixels a picture leaves to its background.
inline const QColor kKeyColor = framework::ColorToQColor(framework::clTransparencyKey);

// An opaque 32-bit picture filled with one colour.
QImage NewPicture(int width, int height, const QColor& fill);

QColor Mix(const QColor& from, const QColor& to, double amount);

// Fills the rectangle row by row from `top` to `bottom`; exact and free of dithering.
void FillVertical(QImage& image, const QRect& rect, const QColor& top, const QColor& bottom);

// A rounded box: `edge` outline one pixel wide, the inside filled top to bottom; with
// antialiasing off the corners are pixel-exact, which keyed backgrounds need.
void DrawBox(QImage& image, const QRect& rect, int radius, const QColor& edge, const QColor& top,
             const QColor& bottom, bool antialias = true);

// A box whose fill breaks at its middle into a lighter upper and a deeper lower half.
void DrawGlassBox(QImage& image, const QRect& rect, int radius, const QColor& edge, const QColor& light,
                  const QColor& deep, bool antialias = true);

// Lays the frames side by side, left to right, as one strip.
QImage Strip(const std::vector<QImage>& frames);

// Turns a picture a quarter turn clockwise.
QImage TurnClockwise(const QImage& image);

// A painter for pixel work: no antialiasing unless asked, square line caps.
class TPen {
public:
    explicit TPen(QImage& image, bool antialias = false);
    QPainter& operator*() { return painter_; }
    QPainter* operator->() { return &painter_; }
    void Line(double x1, double y1, double x2, double y2, const QColor& color, double width = 1.0);
    void Pixel(int x, int y, const QColor& color);

private:
    QPainter painter_;
};

} // namespace qv::skin::generator

namespace qv::skin::generator {

// The picture as a bottom-up 24-bit Windows BMP file with the 54-byte headers.
std::string EncodeBmp(const QImage& image);

} // namespace qv::skin::generator
