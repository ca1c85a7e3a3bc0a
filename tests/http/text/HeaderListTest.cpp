#include "http/text/IdHeaderList.h"

#include "http/text/IdTextFunctions.h"

#include <gtest/gtest.h>

#include <random>

namespace qv::http::test {

namespace {
TIdHeaderList ListOf(std::initializer_list<const char*> lines) {
    TIdHeaderList list;
    for (const char* line : lines)
        list.Add(line);
    return list;
}
} // namespace

TEST(HeaderList, LooksUpNamesWithoutRegardToCase) {
    auto list = ListOf({"X-Cod\xE9: v", "Content-Length: 42", "content-length: 7", "Name : v", "no colon"});
    EXPECT_EQ(list.ValueOf("content-length"), "42");
    EXPECT_EQ(list.IndexOfHeader("x-cod\xC9"), 0);
    EXPECT_EQ(list.LineName(0), "X-COD\xC9");
    EXPECT_EQ(list.IndexOfHeader("Name"), -1);
    EXPECT_EQ(list.LineName(4), "");
    EXPECT_EQ(list.ValueOf("Missing"), "");
    list.CaseSensitiveNames = true;
    EXPECT_EQ(list.LineName(0), "X-Cod\xE9");
}

TEST(HeaderList, ValuesJoinTheirContinuationLines) {
    EXPECT_EQ(ListOf({"X-Long: a", " b"}).ValueOf("X-Long"), "a b");
    EXPECT_EQ(ListOf({"X-Long: a", "\tb"}).ValueOf("X-Long"), "a b");
    EXPECT_EQ(ListOf({"X-Long:   a ", "   b", "\t \tc  "}).ValueOf("X-Long"), "a b c  ");
    EXPECT_EQ(ListOf({"X-Long: a", "", " b"}).ValueOf("X-Long"), "a");
    EXPECT_EQ(ListOf({"X-Long: a", "Next: n", " b"}).ValueOf("X-Long"), "a");
    auto list = ListOf({"X-Long: a", " b"});
    list.JoinContinuations = false;
    EXPECT_EQ(list.ValueOf("X-Long"), "a");
    EXPECT_EQ(list.LineValue(-1), "");
}

TEST(HeaderList, SetValueOfReplacesAppendsAndRemoves) {
    auto list = ListOf({"Host: old", " continued", "Location: x", " y", "\tz", "Accept: */*"});
    list.SetValueOf("host", "new");
    list.SetValueOf("User-Agent", "Quorvane");
    list.SetValueOf("Absent", "");
    EXPECT_EQ(list.Text(),
              "host: new\r\nLocation: x\r\n y\r\n\tz\r\nAccept: */*\r\nUser-Agent: Quorvane\r\n");
    // Even without folding, removing a header takes its continuation lines along.
    list.FoldOnWrite = false;
    list.SetValueOf("Location", "");
    EXPECT_EQ(list.Text(), "host: new\r\nAccept: */*\r\nUser-Agent: Quorvane\r\n");
    list.SetValueOf("Accept", std::string(100, 'a') + " b");
    EXPECT_EQ(list[1], "Accept: " + std::string(100, 'a') + " b");
}

TEST(HeaderList, LongValuesFoldAtBlanksAndReadBackUnchanged) {
    std::mt19937 random(2718);
    for (int round = 0; round < 400; ++round) {
        TIdHeaderList list;
        list.FoldWidth = round == 0 ? 78 : static_cast<int32_t>(random() % 90);
        list.Add("Before: b");
        list.Add("X-Words: old");
        list.Add(" old continuation");
        std::string value;
        while (value.size() < (round == 0 ? 200u : random() % 300)) {
            if (!value.empty()) value += ' ';
            value += std::string(1 + random() % 15, static_cast<char>('a' + random() % 26));
        }
        list.SetValueOf("X-Words", value);
        ASSERT_EQ(list.ValueOf("x-words"), value);
        ASSERT_EQ(list[0], "Before: b");
        ASSERT_TRUE(round != 0 || list.Count() > 3);
        for (int i = 1; i < list.Count(); ++i) {
            ASSERT_TRUE(i == 1 || list[i][0] == ' ');
            ASSERT_NE(list[i].back(), ' ');
            // Only a word that does not fit may run past the width.
            ASSERT_TRUE(static_cast<int32_t>(list[i].size()) <= list.FoldWidth ||
                        list[i].find(' ', 1) == std::string::npos)
                << list[i];
        }
    }
}

TEST(HeaderList, FoldValueKeepsQuotedTextWhole) {
    TIdHeaderList list;
    list.FoldWidth = 10;
    const auto lines = list.FoldValue("Name: \"a quoted value\" tail");
    EXPECT_EQ(lines.Text(), "Name:\r\n \"a quoted value\"\r\n tail\r\n");
}

TEST(HeaderList, RandomLinesAndEditsNeverFault) {
    std::mt19937 random(31337);
    const std::string alphabet = "aB: \t\"-\r\n\xE9";
    auto randomText = [&](size_t maxLength) {
        std::string text(random() % (maxLength + 1), ' ');
        for (auto& c : text)
            c = alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 500; ++round) {
        TIdHeaderList list;
        list.FoldWidth = static_cast<int32_t>(random() % 100) - 5;
        list.JoinContinuations = random() % 2;
        list.FoldOnWrite = random() % 4 != 0;
        for (int line = random() % 12; line > 0; --line)
            list.Add(randomText(30));
        for (int step = 0; step < 20; ++step) {
            const std::string name = randomText(4);
            const int index = list.IndexOfHeader(name);
            ASSERT_TRUE(index < 0 || AnsiSameText(list.LineName(index), name));
            list.ValueOf(name);
            list.SetValueOf(name, random() % 2 ? randomText(120) : "");
            if (list.Count() > 0) list.RemoveContinuations(static_cast<int>(random() % 16) - 1);
            ASSERT_LT(list.Count(), 2000);
        }
    }
}

} // namespace qv::http::test
