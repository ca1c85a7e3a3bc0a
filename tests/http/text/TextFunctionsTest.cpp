#include "http/text/IdTextFunctions.h"

#include <gtest/gtest.h>

#include <random>

namespace qv::http::test {

TEST(TextFunctions, ForwardAndBackwardSearch) {
    EXPECT_EQ(TextPos("b", "abcb"), 2);
    EXPECT_EQ(TextPos("B", "abcb"), 0);
    EXPECT_EQ(TextPos("", "abc"), 0);
    EXPECT_EQ(LastPos("AB", "abxab"), 4);
    EXPECT_EQ(LastPos("ab", "abxab", 3), 1);
    // A start beyond the last place where the part fits is pulled back to it.
    EXPECT_EQ(LastPos("ab", "abxab", 100), 4);
    EXPECT_EQ(LastPos("ab", "abxab", 0), 0);
    EXPECT_EQ(LastPos("abcd", "abc"), 0);
    EXPECT_EQ(LastPos("\xC9T\xC9", "l'\xE9t\xE9"), 3);
}

TEST(TextFunctions, CaseFoldingKnowsTheAccentedLettersOfTheCodePage) {
    EXPECT_EQ(AnsiUpperCase("abc \xE0\xE9\xFE\x9A\x9C\x9E\xFF"), "ABC \xC0\xC9\xDE\x8A\x8C\x8E\x9F");
    EXPECT_EQ(AnsiUpperCase("\xF7\xDF\xB5"), "\xF7\xDF\xB5");
    const std::vector<std::string> list = {"alpha", "Beta", "beta", "\xE9t\xE9"};
    EXPECT_EQ(IndexOfText("beta", list, true), 2);
    EXPECT_EQ(IndexOfText("BETA", list, false), 1);
    EXPECT_EQ(IndexOfText("BETA", list, true), -1);
    EXPECT_EQ(IndexOfText("\xC9T\xC9", list, false), 3);
    EXPECT_EQ(DayNameIndex("sat"), 7);
    EXPECT_EQ(DayNameIndex("Sunday"), 0);
    EXPECT_EQ(MonthNameIndex("jan"), 1);
    EXPECT_EQ(MonthNameIndex("Nov."), 0);
}

TEST(TextFunctions, SplitAtCutsAtTheFirstDelimiter) {
    std::string text = "host:8080:x";
    EXPECT_EQ(SplitAt(text, ":", false), "host");
    EXPECT_EQ(text, "host:8080:x");
    EXPECT_EQ(SplitAt(text, ":", true), "host");
    EXPECT_EQ(text, "8080:x");
    EXPECT_EQ(SplitAt(text, "/", true), "8080:x");
    EXPECT_EQ(text, "");
}

TEST(TextFunctions, WrapTextBreaksAfterTheLastBreakCharacterOutsideQuotes) {
    EXPECT_EQ(WrapText("aaa bbb ccc", "|", " ", 8), "aaa bbb |ccc");
    // The break follows the last break character; those after it are skipped.
    EXPECT_EQ(WrapText("aaa  \t  bbb", "|", " \t", 4), "aaa  |bbb");
    EXPECT_EQ(WrapText(std::string(200, 'x'), "|", " ", 10), std::string(200, 'x'));
    EXPECT_EQ(WrapText("a \"b c d e\" f", "|", " ", 4), "a |\"b c d e\" |f");
    EXPECT_EQ(WrapText("a \"b c d e f", "|", " ", 4), "a |\"b c d e f");
    // Trailing break characters get no break text, which would leave an empty line.
    EXPECT_EQ(WrapText("aaaa bbbb \t ", "\r\n ", " \t", 9), "aaaa bbbb \t ");
    // After "\r\n " a line starts in column 2.
    EXPECT_EQ(WrapText("aaaa bbbb cc", "\r\n ", " ", 6), "aaaa \r\n bbbb \r\n cc");
}

TEST(TextFunctions, RandomTextNeverFaults) {
    std::mt19937 random(4242);
    const std::string alphabet = "ab :/\\#\"\t\r\n\xE9\xFF";
    auto randomText = [&](size_t maxLength) {
        std::string text(random() % (maxLength + 1), ' ');
        for (auto& c : text)
            c = alphabet[random() % alphabet.size()];
        return text;
    };
    auto withoutBlanks = [](std::string text) {
        std::erase_if(text, [](char c) { return c == '|' || c == ' ' || c == '\t'; });
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string text = randomText(40);
        const std::string part = randomText(3);
        const int pos = TextPos(part, text);
        ASSERT_TRUE(pos == 0 || text.substr(static_cast<size_t>(pos - 1), part.size()) == part);
        const int last = LastPos(part, text, static_cast<int>(random() % 50) - 2);
        ASSERT_TRUE(last == 0 || AnsiSameText(text.substr(static_cast<size_t>(last - 1), part.size()), part));
        std::string rest = text;
        const std::string head = SplitAt(rest, part, true);
        ASSERT_EQ(pos > 0 ? head + part + rest : head, text);
        // Wrapping only inserts break texts and drops blanks and TABs.
        const std::string wrapped = WrapText(text, "|", " \t", static_cast<int>(random() % 12) - 1);
        ASSERT_EQ(withoutBlanks(wrapped), withoutBlanks(text));
    }
}

} // namespace qv::http::test
