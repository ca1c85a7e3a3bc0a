#include "http/IdInternetDate.h"

#include "framework/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <random>

using namespace qv::http;
using qv::framework::EncodeDate;
using qv::framework::EncodeTime;
using qv::framework::TDateTime;

namespace {
const TDateTime Nov6 = EncodeDate(1994, 11, 6) + EncodeTime(8, 49, 37, 0);
constexpr double OneSecond = 1.0 / 86400;

// Runs the test body in another time zone and restores the runner's zone afterwards.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) : saved_(std::getenv("TZ") ? std::getenv("TZ") : "") {
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard() {
        setenv("TZ", saved_.c_str(), 1);
        tzset();
    }
    ZoneGuard(const ZoneGuard&) = delete;
    ZoneGuard& operator=(const ZoneGuard&) = delete;

private:
    std::string saved_;
};

TDateTime Parse(std::string text) {
    return ParseInternetDate(text);
}
} // namespace

TEST(InternetDate, ReadsTheUsualFormAndLeavesTheZone) {
    std::string text = "  Sun, 06 Nov 1994 08:49:37 GMT  ";
    EXPECT_NEAR(ParseInternetDate(text), Nov6, OneSecond / 10);
    EXPECT_EQ(text, "GMT");

    text = "06 Nov 94 08:49:37 +0100";
    EXPECT_NEAR(ParseInternetDate(text), Nov6, OneSecond / 10);
    EXPECT_EQ(text, "+0100");
}

TEST(InternetDate, RejectsOtherFormsWithZero) {
    EXPECT_EQ(Parse("Sunday, 06-Nov-94 08:49:37 GMT"), 0);
    EXPECT_EQ(Parse("Sun Nov  6 08:49:37 1994"), 0);
    EXPECT_EQ(Parse(""), 0);
    EXPECT_EQ(Parse("   "), 0);
    EXPECT_EQ(Parse("31 Feb 2001 00:00:00 GMT"), 0);
    EXPECT_EQ(Parse("06 Nov 1994 24:00:00 GMT"), 0);
    EXPECT_EQ(Parse("06 Nov 1994 08:60:00 GMT"), 0);
    EXPECT_EQ(Parse("06 Nov 99999 08:00:00 GMT"), 0);
}

TEST(InternetDate, DefaultsAndTwoDigitYears) {
    EXPECT_EQ(Parse("x Jan 2001"), EncodeDate(2001, 1, 1));
    EXPECT_EQ(Parse("5 Mar x"), EncodeDate(1900, 3, 5));
    EXPECT_EQ(Parse("5 Mar 79"), EncodeDate(2079, 3, 5));
    EXPECT_EQ(Parse("5 Mar 80"), EncodeDate(1980, 3, 5));
    EXPECT_EQ(Parse("5 mar 0"), EncodeDate(2000, 3, 5));
    EXPECT_NEAR(Parse("Mon, 5 Mar 2001 7:5"), EncodeDate(2001, 3, 5) + EncodeTime(7, 5, 0, 0),
                OneSecond / 10);
    EXPECT_NEAR(Parse("5 Mar 2001 a:b:c"), EncodeDate(2001, 3, 5), OneSecond / 10);
    // Hex and signed numbers are not decimal day numbers.
    EXPECT_EQ(Parse("$1F Mar 2001"), EncodeDate(2001, 3, 1));
}

TEST(InternetDate, ZoneOffsets) {
    EXPECT_NEAR(ParseZoneOffset("-0500"), -5.0 / 24, OneSecond / 10);
    EXPECT_NEAR(ParseZoneOffset(" +0130 "), 1.5 / 24, OneSecond / 10);
    EXPECT_NEAR(ParseZoneOffset("+0200 (CEST)"), 2.0 / 24, OneSecond / 10);
    for (const char* zone : {"GMT", "", "+1", "+01", "+0a00", "+2500", "+0160", "0100", "-01:00", "+$100"})
        EXPECT_EQ(ParseZoneOffset(zone), 0) << zone;
}

TEST(InternetDate, LocalOffsetFollowsTheTimeZone) {
    {
        const ZoneGuard zone("UTC0");
        EXPECT_EQ(LocalOffsetFromUtc(), 0);
    }
    {
        const ZoneGuard zone("IST-5:30");
        EXPECT_NEAR(LocalOffsetFromUtc(), 5.5 / 24, OneSecond / 10);
    }
    {
        const ZoneGuard zone("NST3:30");
        EXPECT_NEAR(LocalOffsetFromUtc(), -3.5 / 24, OneSecond / 10);
    }
    // The runner's Berlin zone is one hour ahead of UTC in winter and two in summer.
    const double hours = LocalOffsetFromUtc() * 24;
    EXPECT_TRUE(std::fabs(hours - 1) < 1e-9 || std::fabs(hours - 2) < 1e-9) << hours;
}

TEST(InternetDate, ToLocalAppliesTheZoneAndTheLocalOffset) {
    const ZoneGuard zone("IST-5:30");
    const TDateTime gmt = InternetDateToLocal("Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_NEAR(gmt, Nov6 + 5.5 / 24, OneSecond / 10);
    EXPECT_NEAR(InternetDateToLocal("Sun, 06 Nov 1994 08:49:37 -0500") - gmt, 5.0 / 24, OneSecond / 10);
    EXPECT_NEAR(InternetDateToLocal("06 Nov 1994 08:49:37 +0100"), gmt - 1.0 / 24, OneSecond / 10);
    // Zone names of up to four letters count as UTC.
    EXPECT_NEAR(InternetDateToLocal("06 Nov 1994 08:49:37 CEST"), gmt, OneSecond / 10);
}

TEST(InternetDate, AbsentOrUnreadableDateStaysNoDate) {
    const ZoneGuard zone("IST-5:30");
    EXPECT_EQ(InternetDateToLocal(""), 0);
    EXPECT_EQ(InternetDateToLocal("not a date at all"), 0);
    // The framework's epoch itself is a real date and still gets the offset.
    EXPECT_NEAR(InternetDateToLocal("30 Dec 1899 00:00:00 GMT"), 5.5 / 24, OneSecond / 10);
}

TEST(InternetDate, RandomTextsNeverFault) {
    std::mt19937 random(1994);
    const std::vector<std::string> pieces = {
        "Sun,", "Nov", "06", "1994", "08:49:37", "GMT",  "+0100", "-",  ":",     " ",           "  ",
        "x",    "99",  "0",  "\t",   "::::",     "\xE9", "Feb",   "29", "-0500", "123456789012"};
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (int i = random() % 9; i > 0; --i)
            text += pieces[random() % pieces.size()] + (random() % 3 ? " " : "");
        const std::string original = text;
        const TDateTime date = ParseInternetDate(text);
        ASSERT_TRUE(date == 0 || (date >= EncodeDate(1, 1, 1) && date < EncodeDate(9999, 12, 31) + 1))
            << original;
        ASSERT_LE(text.size(), original.size());
        const TDateTime offset = ParseZoneOffset(original);
        ASSERT_LT(std::fabs(offset), 1.0);
        const TDateTime local = InternetDateToLocal(original);
        ASSERT_TRUE(std::isfinite(local));
    }
}
