#include "framework/Conversions.h"
#include "framework/EConvertError.h"

#include <gtest/gtest.h>

namespace qv::framework::test {

TEST(StrToInt, ReadsSignsBlanksAndHexPrefixes) {
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt("   17"), 17);
    EXPECT_EQ(StrToInt("-5"), -5);
    EXPECT_EQ(StrToInt("+5"), 5);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
}

TEST(StrToInt, RejectsWithTheFrameworkText) {
    for (const char* bad : {"", " ", "12 ", "1a", "2147483648", "-", "$", "ok", "99999999999999999999"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::string("'") + bad + "' is not a valid integer value");
            EXPECT_STREQ(e.ClassName(), "EConvertError");
        }
    }
    EXPECT_EQ(StrToIntDef("x", -1), -1);
}

TEST(TextHelpers, TrimAndCase) {
    EXPECT_EQ(Trim("  \t a b \r\n"), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
    EXPECT_EQ(UpperCase("close\xE9"), "CLOSE\xE9");
    EXPECT_TRUE(SameText("Content-Length", "CONTENT-length"));
    EXPECT_EQ(TryHexToInt("1aF"), 0x1AFu);
    EXPECT_FALSE(TryHexToInt("1g").has_value());
    EXPECT_FALSE(TryHexToInt("123456789").has_value());
}

} // namespace qv::framework::test
