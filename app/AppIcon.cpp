#include "app/AppIcon.h"

#include "skin/PaintHelpers.h"
#include "skin/SkinResources.h"

#include <QPixmap>

namespace qv::app {

namespace {

// Each pixel of a 32-bit picture as a square of factor by factor pixels. The image library's
// own scaling hands large pictures to worker threads, which a program starting on a busy machine
// waits for.
QImage Enlarged(const QImage& picture, int factor) {
    QImage result(picture.width() * factor, picture.height() * factor, picture.format());
    for (int y = 0; y < result.height(); ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(picture.constScanLine(y / factor));
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            line[x] = source[x / factor];
    }
    return result;
}

} // namespace

QImage AppIconImage(int size) {
    static const QImage icon =
        skin::KeyedTransparent(skin::StyleResource("MAINICON"), framework::clTransparencyKey);
    if (icon.width() == icon.height() && size % icon.width() == 0) return Enlarged(icon, size / icon.width());
    return icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QIcon AppIcon() {
    QIcon icon;
    for (const int size : kIconSizes)
        icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
    return icon;
}

} // namespace qv::app
