#include "framework/StringList.h"
#include "framework/EListError.h"

#include <gtest/gtest.h>

namespace qv::framework::test {

namespace {
std::vector<std::string> Split(const std::string& text) {
    TStringList list;
    list.SetText(text);
    return list.Lines();
}
} // namespace

TEST(StringList, SplitsAtEveryKindOfLineEnd) {
    EXPECT_EQ(Split("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(Split("a\r\n"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Split("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(Split("\n\nx"), (std::vector<std::string>{"", "", "x"}));
    EXPECT_EQ(Split("a\n\rb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(Split("").empty());
}

TEST(StringList, NulEndsTheText) {
    EXPECT_EQ(Split(std::string("a\nb\0c\nd", 7)), (std::vector<std::string>{"a", "b"}));
}

TEST(StringList, TextEndsEveryLineWithCrLf) {
    TStringList list;
    list.Add("x");
    list.Add("");
    list.Insert(0, "w");
    EXPECT_EQ(list.Text(), "w\r\nx\r\n\r\n");
    EXPECT_EQ(list.Join(","), "w,x,");
    list.Delete(1);
    EXPECT_EQ(list.IndexOf("W"), 0);
    EXPECT_EQ(list.IndexOf("x"), -1);
    EXPECT_THROW(list.Delete(5), EListError);
    EXPECT_THROW(list[-1], EListError);
}

} // namespace qv::framework::test
