#include "app/AppIcon.h"

#include "skin/PaintHelpers.h"
#include "skin/SkinResources.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cstring>

namespace qv::app {

namespace {

// Each pixel of a 32-bit picture as a square of factor by factor pixels: a row is grown once
// and copied factor times. The image library's own scaling hands large pictures to worker
// threads, which a program starting on a busy machine waits for.
QImage Enlarged(const QImage& picture, int factor) {
    QImage result(picture.width() * factor, picture.height() * factor, picture.format());
    const auto rowBytes = static_cast<size_t>(result.width()) * sizeof(QRgb);
    for (int y = 0; y < result.height(); y += factor) {
        const auto* source = reinterpret_cast<const QRgb*>(picture.constScanLine(y / factor));
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            line[x] = source[x / factor];
        for (int copy = 1; copy < factor; ++copy)
            std::memcpy(result.scanLine(y + copy), line, rowBytes);
    }
    return result;
}

// Draws the icon at the size asked for when it is asked for: the window system wants it only
// where it shows windows' icons, and then in a few sizes.
class TAppIconEngine : public QIconEngine {
public:
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const QPixmap drawn =
            QPixmap::fromImage(AppIconImage(std::max(1, std::min(size.width(), size.height()))));
        // Disabled and selected looks come from the style, as for any icon made of pixmaps.
        return mode == QIcon::Normal ? drawn : QIcon(drawn).pixmap(drawn.size(), mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int size : kIconSizes)
            sizes.append(QSize(size, size));
        return sizes;
    }
    QString key() const override { return QStringLiteral("quorvane"); }
    QIconEngine* clone() const override { return new TAppIconEngine; }
};

} // namespace

QImage AppIconImage(int size) {
    static const QImage icon =
        skin::KeyedTransparent(skin::StyleResource("MAINICON"), framework::clTransparencyKey);
    if (icon.width() == icon.height() && size % icon.width() == 0) return Enlarged(icon, size / icon.width());
    return icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QIcon AppIcon() {
    return QIcon(new TAppIconEngine);
}

} // namespace qv::app
