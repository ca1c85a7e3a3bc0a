#include "windows/AccountDetails.h"
#include "windows/CountryFilter.h"
#include "windows/ResultPaging.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <climits>

namespace qv::windows::test {

TEST(ResultPagingTest, PagesAreCountedInWholeNumbersWithoutTouchingTheRoundingMode) {
    const struct {
        int32_t total;
        int32_t pages;
    } cases[] = {{0, 0}, {1, 1}, {20, 1}, {21, 2}, {45, 3}, {-5, 0}, {-21, -1}, {INT32_MAX, 107374183}};
    for (const auto& c : cases)
        EXPECT_EQ(PageCount(c.total), c.pages) << c.total;
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
    EXPECT_EQ(ResultCaption("", 0), "Todays tenders: 0 tenders found.");
    EXPECT_EQ(ResultCaption("energy", 21), "Search results: 21 tenders found.");
    EXPECT_EQ(PageLine(1, 0), "Page 1 of 0");
}

TEST(CountryFilterTest, TypedTextSelectsANamedItemOrKeepsTheLastOne) {
    const struct {
        const char* text;
        int last;
        int index;
    } cases[] = {{"Austria", 17, 1},   {"  france ", 17, 5}, {"ISLE OF MAN", 0, 9},
                 {"Narnia", 3, 3},     {"", 6, 6},           {"Luxembourg", 2, 2},
                 {"Luxemborg", 2, 11}, {"x", -1, 17},        {"All countries", 99, 0},
                 {"Germ", 30, 17}};
    for (const auto& c : cases)
        EXPECT_EQ(CountryIndexFor(QString::fromLatin1(c.text), c.last), c.index) << c.text;
    EXPECT_STREQ(kCountries[0].code, "EU");
    EXPECT_STREQ(kCountries[kDefaultCountry].item, "United Kingdom");
}

TEST(AccountDetailsTest, NameAndNonEmptyKeywordsAsTheyStand) {
    const struct {
        const char* tail;
        const char* name;
        std::vector<std::string> keywords;
    } cases[] = {{"Anna{{}}energy,water", "Anna", {"energy", "water"}},
                 {"Anna{{}}", "Anna", {}},
                 {"Anna{{}},,energy,", "Anna", {"energy"}},
                 {"Bo{{}} wind , solar", "Bo", {" wind ", " solar"}},
                 {"Bo{{}}R&D{{}}x", "Bo", {"R&D{{}}x"}},
                 {"abcdef,gh", "", {"def", "gh"}},
                 {"ab", "", {}}};
    for (const auto& c : cases) {
        const AccountDetails details = ParseAccountDetails(c.tail);
        EXPECT_EQ(details.name, c.name) << c.tail;
        EXPECT_EQ(details.keywords, c.keywords) << c.tail;
    }
}

} // namespace qv::windows::test
