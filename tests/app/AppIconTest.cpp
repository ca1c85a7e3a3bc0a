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

} // namespace qv::app::test
