#include "skin/archive/SkinItemNames.h"

#include <gtest/gtest.h>

#include <optional>

namespace qv::skin::test {

TEST(SkinItemNames, FourGroupsOfEightyFourNamesByIndex) {
    EXPECT_EQ(int{SKIN2_COLOR_COUNT} + int{SKIN2_BITMAP_COUNT} + int{SKIN2_INTEGER_COUNT} +
                  int{SKIN2_FLAG_COUNT},
              84);
    EXPECT_EQ(SkinItemName(SKIN2_TRANSCOLOR), "SKIN2_TRANSCOLOR");
    EXPECT_EQ(SkinItemName(TSkin2Color{31}), "SKIN2_SIDECHANNELBORDERCOLOR");
    EXPECT_EQ(SkinItemName(TSkin2Bitmap{11}), "SKIN2_TITLEBUTTONS");
    EXPECT_EQ(SkinItemName(TSkin2Bitmap{33}), "SKIN2_SCROLLBUTTON");
    EXPECT_EQ(SkinItemName(TSkin2Integer{8}), "SKIN2_BOTTOMREGIONMAXY");
    EXPECT_EQ(SkinItemName(TSkin2Flag{8}), "SKIN2_TABCONTROLTRANS");
    EXPECT_EQ(SkinItemName(TSkin2Flag{9}), "");
    EXPECT_EQ(SkinItemName(TSkin2Color{-1}), "");
}

TEST(SkinItemNames, NamesFindTheirGroupAndIndexInAnyCase) {
    const struct {
        const char* name;
        std::optional<TSkin2Group> group;
        int index;
    } cases[] = {
        {"SKIN2_TRANSCOLOR", TSkin2Group::Color, 0},
        {"skin2_sidechannelbordercolor", TSkin2Group::Color, 31},
        {"Skin2_ScrollButton", TSkin2Group::Bitmap, 33},
        {"SKIN2_TITLEBARICONPOSX", TSkin2Group::Integer, 0},
        {"SKIN2_TABCONTROLTRANS", TSkin2Group::Flag, 8},
        {"SKIN2_SYSTEMCOLOR1", std::nullopt, 0},
        {"SKIN2_TRANSCOLOR ", std::nullopt, 0},
        {"", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        const auto found = FindSkinItem(c.name);
        ASSERT_EQ(found.has_value(), c.group.has_value()) << c.name;
        if (!found) continue;
        EXPECT_EQ(found->group, *c.group) << c.name;
        EXPECT_EQ(found->index, c.index) << c.name;
    }
}

} // namespace qv::skin::test
