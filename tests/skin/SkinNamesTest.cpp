#include "SkinTestSupport.h"

#include "platform/TempNames.h"
#include "skin/archive/SkinItemNames.h"

#include <gtest/gtest.h>

#include <regex>

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

TEST(TempNames, BracedUpperCaseGuidsInTheTemporaryFolder) {
    const qv::skin::test::TScratchFolder scratch;
    EXPECT_EQ(qv::platform::TempFolder(), scratch.Path() + "/");
    const std::string first = qv::platform::NewGuidText();
    EXPECT_TRUE(std::regex_match(first, std::regex(R"(\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\})")))
        << first;
    EXPECT_NE(first, qv::platform::NewGuidText());
}

} // namespace qv::skin::test
