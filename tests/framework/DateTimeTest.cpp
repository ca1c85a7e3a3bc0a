#include "framework/DateTime.h"
#include "framework/EConvertError.h"

#include <gtest/gtest.h>

namespace qv::framework::test {

TEST(DateTime, EpochAndKnownDays) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(1994, 11, 6), 34644.0);
    EXPECT_EQ(EncodeDate(2000, 3, 1) - EncodeDate(2000, 2, 28), 2.0);
    EXPECT_LT(EncodeDate(1800, 1, 1), 0.0);
}

TEST(DateTime, RoundTripsDatesAndTimes) {
    for (int year : {1, 1899, 1900, 1999, 2000, 2024, 9999})
        for (int month : {1, 2, 12}) {
            const int day = DaysInMonth(year, month);
            const auto parts = DecodeDate(EncodeDate(year, month, day));
            EXPECT_EQ(parts.year, year);
            EXPECT_EQ(parts.month, month);
            EXPECT_EQ(parts.day, day);
        }
    const auto t = DecodeTime(EncodeDate(1994, 11, 6) + EncodeTime(8, 49, 37, 0));
    EXPECT_EQ(t.hour, 8);
    EXPECT_EQ(t.minute, 49);
    EXPECT_EQ(t.second, 37);
}

TEST(DateTime, RejectsImpossibleParts) {
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29));
    EXPECT_TRUE(TryEncodeDate(2024, 2, 29));
    EXPECT_FALSE(TryEncodeDate(2024, 13, 1));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0));
    EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0));
    EXPECT_THROW(EncodeDate(2023, 2, 30), EConvertError);
}

} // namespace qv::framework::test
