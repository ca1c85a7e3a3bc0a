#include "http/text/IdInternetDate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <random>

using qv::framework::EncodeDate;
using qv::framework::EncodeTime;
using qv::framework::TDateTime;

namespace qv::http::test {

namespace {
const TDateTime Nov6 = EncodeDate(1994, 11, 6) + EncodeTime(8, 49, 37, 0);
constexpr double Tolerance = 0.1 / 86400;

// Switches to another time zone and back to the one before (or none).
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) {
        if (const char* saved = std::getenv("TZ")) saved_ = saved;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard() {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ZoneGuard(const ZoneGuard&) = delete;
    ZoneGuard& operator=(const ZoneGuard&) = delete;

private:
    std::optional<std::string> saved_;
};

TDateTime Parse(std::string text) {
    return ParseInternetDate(text);
}
} // namespace

TEST(InternetDate, ReadsTheDateAndLeavesTheZone) {
    std::string text = "  Sun, 06 Nov 1994 08:49:37 GMT  ";
    EXPECT_NEAR(ParseInternetDate(text), Nov6, Tolerance);
    EXPECT_EQ(text, "GMT");
    text = "06 Nov 94 08:49:37 +0100";
    EXPECT_NEAR(ParseInternetDate(text), Nov6, Tolerance);
    EXPECT_EQ(text, "+0100");
    EXPECT_EQ(Parse("x Jan 2001"), EncodeDate(2001, 1, 1));
    EXPECT_EQ(Parse("5 Mar x"), EncodeDate(1900, 3, 5));
    EXPECT_EQ(Parse("5 Mar 79"), EncodeDate(2079, 3, 5));
    EXPECT_EQ(Parse("5 Mar 80"), EncodeDate(1980, 3, 5));
    EXPECT_EQ(Parse("$1F Mar 2001"), EncodeDate(2001, 3, 1));
    EXPECT_NEAR(Parse("Mon, 5 Mar 2001 7:5"), EncodeDate(2001, 3, 5) + EncodeTime(7, 5, 0, 0), Tolerance);
}

TEST(InternetDate, OtherFormsAndImpossibleDatesGiveZero) {
    for (const char* text :
         {"Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994", "", "   ", "31 Feb 2001 00:00:00 GMT",
          "06 Nov 1994 24:00:00 GMT", "06 Nov 1994 08:60:00", "06 Nov 99999 08:00:00 GMT"})
        EXPECT_EQ(Parse(text), 0) << text;
}

TEST(InternetDate, ZoneOffsets) {
    EXPECT_NEAR(ParseZoneOffset("-0500"), -5.0 / 24, Tolerance);
    EXPECT_NEAR(ParseZoneOffset(" +0130 (x)"), 1.5 / 24, Tolerance);
    for (const char* zone : {"GMT", "", "+01", "+0a00", "+2500", "+0160", "0100", "-01:00"})
        EXPECT_EQ(ParseZoneOffset(zone), 0) << zone;
}

TEST(InternetDate, LocalOffsetFollowsTheTimeZone) {
    {
        const ZoneGuard zone("IST-5:30");
        EXPECT_NEAR(LocalOffsetFromUtc(), 5.5 / 24, Tolerance);
    }
    {
        const ZoneGuard zone("NST3:30");
        EXPECT_NEAR(LocalOffsetFromUtc(), -3.5 / 24, Tolerance);
    }
    // Berlin is one hour ahead of UTC in winter and two in summer.
    const ZoneGuard zone("Europe/Berlin");
    const double hours = LocalOffsetFromUtc() * 24;
    EXPECT_TRUE(std::fabs(hours - 1) < 1e-9 || std::fabs(hours - 2) < 1e-9) << hours;
}

TEST(InternetDate, ToLocalAppliesTheZoneAndTheLocalOffset) {
    const ZoneGuard zone("IST-5:30");
    const TDateTime gmt = InternetDateToLocal("Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_NEAR(gmt, Nov6 + 5.5 / 24, Tolerance);
    EXPECT_NEAR(InternetDateToLocal("Sun, 06 Nov 1994 08:49:37 -0500") - gmt, 5.0 / 24, Tolerance);
    EXPECT_NEAR(InternetDateToLocal("06 Nov 1994 08:49:37 CEST"), gmt, Tolerance);
    // No date stays no date; the framework's epoch is a real date and still gets the offset.
    EXPECT_EQ(InternetDateToLocal(""), 0);
    EXPECT_EQ(InternetDateToLocal("not a date"), 0);
    EXPECT_NEAR(InternetDateToLocal("30 Dec 1899 00:00:00 GMT"), 5.5 / 24, Tolerance);
}

TEST(InternetDate, RandomTextsNeverFault) {
    std::mt19937 random(1994);
    const std::vector<std::string> pieces = {
        "Sun,", "Nov", "06", "1994", "08:49:37", "GMT",  "+0100", "-",  ":",     " ",
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
        ASSERT_LT(std::fabs(ParseZoneOffset(original)), 1.0);
        ASSERT_TRUE(std::isfinite(InternetDateToLocal(original)));
    }
}

} // namespace qv::http::test
