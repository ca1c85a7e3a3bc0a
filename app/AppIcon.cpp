#include "app/AppIcon.h"

#include "skin/PaintHelpers.h"
#include "skin/SkinResources.h"

#include <QPixmap>

namespace qv::app {

namespace {
constexpr framework::TColor kIconKey = 0xFF00FF;
} // namespace

QImage AppIconImage(int size) {
    static const QImage icon = skin::KeyedTransparent(skin::StyleResource("MAINICON"), kIconKey);
    return icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QIcon AppIcon() {
    QIcon icon;
    for (const int size : kIconSizes)
        icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
    return icon;
}

} // namespace qv::app
