#include "app/AppIcon.h"

#include "skin/PaintHelpers.h"
#include "skin/SkinResources.h"

#include <gtest/gtest.h>

namespace qv::app::test {

TEST(AppIcon, GrowsTheTileByWholePixelsAtEverySize) {
    const QImage tile = skin::KeyedTransparent(skin::StyleResource("MAINICON"), framework::clTransparencyKey);
    ASSERT_EQ(tile.size(), QSize(16, 16));
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage icon = AppIconImage(size);
        ASSERT_EQ(icon.size(), QSize(size, size));
        EXPECT_EQ(icon, tile.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation)) << size;
        EXPECT_TRUE(icon.hasAlphaChannel()) << size;
    }
}

TEST(AppIcon, OffersEverySizeAndDrawsEachAsTheImage) {
    const QIcon icon = AppIcon();
    QList<QSize> offered;
    for (const int size : kIconSizes)
        offered.append(QSize(size, size));
    EXPECT_EQ(icon.availableSizes(), offered);
    for (const int size : kIconSizes)
        EXPECT_EQ(icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32),
                  AppIconImage(size))
            << size;
}

} // namespace qv::app::test
