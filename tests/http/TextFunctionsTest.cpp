#include "http/IdGlobal.h"

#include <gtest/gtest.h>

#include <random>

using namespace qv::http;

TEST(TextFunctions, TextPosFindsFirstOccurrenceCaseSensitive) {
    EXPECT_EQ(TextPos("b", "abcb"), 2);
    EXPECT_EQ(TextPos("B", "abcb"), 0);
    EXPECT_EQ(TextPos("://", "http://h"), 5);
    EXPECT_EQ(TextPos("", "abc"), 0);
    EXPECT_EQ(TextPos("abcd", "abc"), 0);
    EXPECT_EQ(TextPos("\xE9", "caf\xE9"), 4);
}

TEST(TextFunctions, LastPosSearchesBackwardsWithoutCaseFromStart) {
    EXPECT_EQ(LastPos("/", "/a/b/c"), 5);
    EXPECT_EQ(LastPos("AB", "abxab"), 4);
    EXPECT_EQ(LastPos("ab", "abxab", 3), 1);
    EXPECT_EQ(LastPos("ab", "abxab", 4), 4);
    // A start beyond the last place where the part fits is pulled back to it.
    EXPECT_EQ(LastPos("ab", "abxab", 100), 4);
    EXPECT_EQ(LastPos("ab", "abxab", 0), 0);
    EXPECT_EQ(LastPos("ab", "abxab", -7), 0);
    EXPECT_EQ(LastPos("", "abc"), 0);
    EXPECT_EQ(LastPos("abcd", "abc"), 0);
    EXPECT_EQ(LastPos("\xC9T\xC9", "l'\xE9t\xE9"), 3);
}

TEST(TextFunctions, UpperCaseKnowsTheAccentedLettersOfTheCodePage) {
    EXPECT_EQ(AnsiUpperCase("abc \xE0\xE9\xFE\x9A\x9C\x9E\xFF"), "ABC \xC0\xC9\xDE\x8A\x8C\x8E\x9F");
    // Division sign, sharp s and micro sign have no capital of their own.
    EXPECT_EQ(AnsiUpperCase("\xF7\xDF\xB5"), "\xF7\xDF\xB5");
    EXPECT_TRUE(AnsiSameText("Content-Type", "CONTENT-type"));
    EXPECT_FALSE(AnsiSameText("Content-Type", "Content-Typ"));
}

TEST(TextFunctions, IndexOfTextComparesExactlyOrWithoutCase) {
    const std::vector<std::string> list = {"alpha", "Beta", "beta", "\xE9t\xE9"};
    EXPECT_EQ(IndexOfText("beta", list, true), 2);
    EXPECT_EQ(IndexOfText("BETA", list, false), 1);
    EXPECT_EQ(IndexOfText("BETA", list, true), -1);
    EXPECT_EQ(IndexOfText("\xC9T\xC9", list, false), 3);
    EXPECT_EQ(IndexOfText("gamma", list, false), -1);
    EXPECT_EQ(IndexOfText("", {}, false), -1);
}

TEST(TextFunctions, SplitAtCutsAtTheFirstDelimiter) {
    std::string text = "host:8080:x";
    EXPECT_EQ(SplitAt(text, ":", false), "host");
    EXPECT_EQ(text, "host:8080:x");
    EXPECT_EQ(SplitAt(text, ":", true), "host");
    EXPECT_EQ(text, "8080:x");

    std::string missing = "no delimiter";
    EXPECT_EQ(SplitAt(missing, "/", false), "no delimiter");
    EXPECT_EQ(missing, "no delimiter");
    EXPECT_EQ(SplitAt(missing, "/", true), "no delimiter");
    EXPECT_EQ(missing, "");

    std::string multi = "a\r\nb";
    EXPECT_EQ(SplitAt(multi, "\r\n", true), "a");
    EXPECT_EQ(multi, "b");
}

TEST(TextFunctions, NameTablesAnswerIndexesFromOne) {
    EXPECT_EQ(DayNameIndex("Sun"), 1);
    EXPECT_EQ(DayNameIndex("sat"), 7);
    EXPECT_EQ(DayNameIndex("Sunday"), 0);
    EXPECT_EQ(MonthNameIndex("jan"), 1);
    EXPECT_EQ(MonthNameIndex("DEC"), 12);
    EXPECT_EQ(MonthNameIndex(""), 0);
    EXPECT_EQ(MonthNameIndex("Nov."), 0);
}

TEST(TextFunctions, ForwardSlashesReplacesEveryBackslash) {
    std::string text = "\\a\\b/c\\\\";
    ForwardSlashes(text);
    EXPECT_EQ(text, "/a/b/c//");
}

TEST(TextFunctions, WrapTextBreaksAfterTheLastBreakCharacterBeforeTheWidth) {
    EXPECT_EQ(WrapText("aaa bbb ccc", "|", " ", 8), "aaa bbb |ccc");
    EXPECT_EQ(WrapText("aaa bbb ccc", "|", " ", 100), "aaa bbb ccc");
    // The break comes after the last break character; those that follow it are skipped.
    EXPECT_EQ(WrapText("aaa    bbb", "|", " ", 5), "aaa   |bbb");
    EXPECT_EQ(WrapText("aaa  \t  bbb", "|", " \t", 4), "aaa  |bbb");
    // Without a break character the text stays whole, however long.
    EXPECT_EQ(WrapText(std::string(200, 'x'), "|", " ", 10), std::string(200, 'x'));
    EXPECT_EQ(WrapText("", "|", " ", 10), "");
}

TEST(TextFunctions, WrapTextKeepsQuotedStretchesWhole) {
    EXPECT_EQ(WrapText("a \"b c d e\" f", "|", " ", 4), "a |\"b c d e\" |f");
    // An unclosed quote makes the rest unbreakable.
    EXPECT_EQ(WrapText("a \"b c d e f", "|", " ", 4), "a |\"b c d e f");
}

TEST(TextFunctions, WrapTextNeverLeavesAnEmptyLastLine) {
    EXPECT_EQ(WrapText("aaaa bbbb   ", "|", " ", 9), "aaaa bbbb   ");
    EXPECT_EQ(WrapText("aaaa bbbb \t ", "\r\n ", " \t", 9), "aaaa bbbb \t ");
    EXPECT_EQ(WrapText("aaaa bbbb  c", "\r\n ", " \t", 9), "aaaa bbbb \r\n c");
}

TEST(TextFunctions, WrapTextCountsTheIndentOfTheBreakText) {
    // After "\r\n " a line starts in column 2, so "bbbb" ends at column 5 and must break before "cc".
    EXPECT_EQ(WrapText("aaaa bbbb cc", "\r\n ", " ", 6), "aaaa \r\n bbbb \r\n cc");
}

TEST(TextFunctions, RandomTextAndDelimitersNeverFault) {
    std::mt19937 random(4242);
    const std::string alphabet = "ab :/\\#\"\t\r\n\xE9\xFF";
    auto randomText = [&](size_t maxLength) {
        std::string text(random() % (maxLength + 1), ' ');
        for (auto& c : text)
            c = alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string text = randomText(40);
        const std::string part = randomText(3);
        const int pos = TextPos(part, text);
        ASSERT_GE(pos, 0);
        ASSERT_TRUE(pos == 0 || text.substr(static_cast<size_t>(pos - 1), part.size()) == part);
        const int last = LastPos(part, text, static_cast<int>(random() % 50) - 2);
        ASSERT_GE(last, 0);
        ASSERT_TRUE(last == 0 || AnsiSameText(text.substr(static_cast<size_t>(last - 1), part.size()), part));

        std::string rest = text;
        const std::string head = SplitAt(rest, part, true);
        if (pos > 0)
            ASSERT_EQ(head + part + rest, text);
        else
            ASSERT_TRUE(head == text && rest.empty());

        // Apart from the inserted break texts only skipped blanks and TABs may go missing.
        const int width = static_cast<int>(random() % 12) - 1;
        std::string wrapped = WrapText(text, "|", " \t", width);
        std::erase_if(wrapped, [](char c) { return c == '|' || c == ' ' || c == '\t'; });
        std::string plain = text;
        std::erase_if(plain, [](char c) { return c == ' ' || c == '\t'; });
        ASSERT_EQ(wrapped, plain);
    }
}
