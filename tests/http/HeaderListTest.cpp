#include "http/IdHeaderList.h"

#include "http/IdGlobal.h"

#include <gtest/gtest.h>

#include <random>

using namespace qv::http;

namespace {
TIdHeaderList ListOf(std::initializer_list<const char*> lines) {
    TIdHeaderList list;
    for (const char* line : lines)
        list.Add(line);
    return list;
}

std::string WordsOfLength(size_t length) {
    std::string value;
    for (int word = 0; value.size() < length; ++word) {
        if (!value.empty()) value += ' ';
        value += std::string(static_cast<size_t>(3 + word % 7), static_cast<char>('a' + word % 26));
    }
    value.resize(length);
    while (!value.empty() && value.back() == ' ')
        value.pop_back();
    return value;
}
} // namespace

TEST(HeaderList, StartsWithTheDocumentedSettings) {
    const TIdHeaderList list;
    EXPECT_EQ(list.NameSeparator, ": ");
    EXPECT_FALSE(list.CaseSensitiveNames);
    EXPECT_TRUE(list.JoinContinuations);
    EXPECT_TRUE(list.FoldOnWrite);
    EXPECT_EQ(list.FoldWidth, 78);
    EXPECT_EQ(list.Count(), 0);
}

TEST(HeaderList, LooksUpNamesWithoutRegardToCase) {
    auto list = ListOf({"Server: x", "Content-Length: 42", "content-length: 7"});
    EXPECT_EQ(list.IndexOfHeader("CONTENT-length"), 1);
    EXPECT_EQ(list.ValueOf("content-length"), "42");
    EXPECT_EQ(list.IndexOfHeader("Content"), -1);
    EXPECT_EQ(list.ValueOf("Missing"), "");
}

TEST(HeaderList, LineNameIsUpperCaseUnlessNamesAreCaseSensitive) {
    auto list = ListOf({"X-Cod\xE9: v", "Name : value", "no separator", ": empty name"});
    EXPECT_EQ(list.LineName(0), "X-COD\xC9");
    EXPECT_EQ(list.LineName(1), "NAME ");
    EXPECT_EQ(list.LineName(2), "");
    EXPECT_EQ(list.LineName(3), "");
    EXPECT_EQ(list.IndexOfHeader("Name"), -1);
    list.CaseSensitiveNames = true;
    EXPECT_EQ(list.LineName(0), "X-Cod\xE9");
    EXPECT_EQ(list.IndexOfHeader("x-cod\xC9"), 0);
}

TEST(HeaderList, LineValueDropsLeadingBlanksAndKeepsTrailingOnes) {
    auto list = ListOf({"A:   spaced  ", "B:", "C:x", "D:\tTabbed"});
    EXPECT_EQ(list.LineValue(0), "spaced  ");
    EXPECT_EQ(list.LineValue(1), "");
    EXPECT_EQ(list.LineValue(2), "x");
    EXPECT_EQ(list.LineValue(3), "Tabbed");
    EXPECT_EQ(list.LineValue(-1), "");
}

TEST(HeaderList, ContinuationLinesAreJoinedWithOneBlank) {
    EXPECT_EQ(ListOf({"X-Long: a", " b"}).ValueOf("X-Long"), "a b");
    EXPECT_EQ(ListOf({"X-Long: a", "\tb"}).ValueOf("X-Long"), "a b");
    EXPECT_EQ(ListOf({"X-Long: a ", "   b", "\t \tc"}).ValueOf("X-Long"), "a b c");
    // An empty line or an ordinary line ends the value.
    EXPECT_EQ(ListOf({"X-Long: a", "", " b"}).ValueOf("X-Long"), "a");
    EXPECT_EQ(ListOf({"X-Long: a", "Next: n", " b"}).ValueOf("X-Long"), "a");
    auto list = ListOf({"X-Long: a", " b"});
    list.JoinContinuations = false;
    EXPECT_EQ(list.ValueOf("X-Long"), "a");
}

TEST(HeaderList, SetValueOfReplacesOrAppends) {
    auto list = ListOf({"Host: old", " continued", "Accept: */*"});
    list.SetValueOf("host", "new");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0], "host: new");
    EXPECT_EQ(list[1], "Accept: */*");
    list.SetValueOf("User-Agent", "Quorvane");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[2], "User-Agent: Quorvane");
}

TEST(HeaderList, SetValueOfWithoutFoldingWritesOneLine) {
    auto list = ListOf({"A: 1"});
    list.FoldOnWrite = false;
    list.NameSeparator = "=";
    list.SetValueOf("B", WordsOfLength(200));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1], "B=" + WordsOfLength(200));
    EXPECT_EQ(list.ValueOf("b"), WordsOfLength(200));
}

TEST(HeaderList, EmptyValueRemovesTheHeaderAndItsContinuations) {
    for (bool foldOnWrite : {true, false}) {
        auto list = ListOf({"A: 1", "Location: x", " y", "\tz", "B: 2"});
        list.FoldOnWrite = foldOnWrite;
        list.SetValueOf("Location", "");
        ASSERT_EQ(list.Count(), 2) << foldOnWrite;
        EXPECT_EQ(list.ValueOf("A"), "1");
        EXPECT_EQ(list[1], "B: 2");
        list.SetValueOf("Absent", "");
        EXPECT_EQ(list.Count(), 2);
    }
}

TEST(HeaderList, LongValuesAreFoldedAtBlanks) {
    TIdHeaderList list;
    const std::string value = WordsOfLength(200);
    list.SetValueOf("X-Words", value);
    ASSERT_GT(list.Count(), 2);
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_LE(list[i].size(), 78u) << list[i];
        EXPECT_FALSE(list[i].empty());
        EXPECT_TRUE(i == 0 || list[i][0] == ' ');
        EXPECT_NE(list[i].back(), ' ');
    }
    EXPECT_EQ(list.ValueOf("x-words"), value);

    // Folding again replaces the old continuation lines instead of stacking them.
    list.SetValueOf("X-Words", "short");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], "X-Words: short");
}

TEST(HeaderList, FoldValueKeepsUnbreakableTextWhole) {
    TIdHeaderList list;
    list.FoldWidth = 10;
    const auto quoted = list.FoldValue("Name: \"a quoted value that is long\" tail");
    ASSERT_EQ(quoted.Count(), 3);
    EXPECT_EQ(quoted[0], "Name:");
    EXPECT_EQ(quoted[1], " \"a quoted value that is long\"");
    EXPECT_EQ(quoted[2], " tail");
    const auto single = list.FoldValue("Token:" + std::string(100, 'x'));
    ASSERT_EQ(single.Count(), 1);
}

TEST(HeaderList, RemoveContinuationsStopsAtAnEmptyOrOrdinaryLine) {
    auto list = ListOf({"A: 1", " a", "\tb", "", " c", "B: 2"});
    list.RemoveContinuations(0);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list[1], "");
    list.RemoveContinuations(-1);
    list.RemoveContinuations(3);
    EXPECT_EQ(list.Count(), 4);
}

TEST(HeaderList, FoldedValuesReadBackUnchanged) {
    std::mt19937 random(2718);
    for (int round = 0; round < 400; ++round) {
        TIdHeaderList list;
        list.FoldWidth = static_cast<int32_t>(random() % 90);
        list.Add("Before: b");
        list.Add("After: a");
        std::string value;
        for (int word = 1 + random() % 30; word > 0; --word) {
            if (!value.empty()) value += ' ';
            value += std::string(1 + random() % 15, static_cast<char>('a' + random() % 26));
        }
        list.SetValueOf("After", value);
        ASSERT_EQ(list.ValueOf("after"), value);
        ASSERT_EQ(list.ValueOf("before"), "b");
        for (int i = 2; i < list.Count(); ++i) {
            ASSERT_EQ(list[i][0], ' ');
            // A line may only run past the width when a single word does not fit.
            ASSERT_TRUE(static_cast<int32_t>(list[i].size()) <= list.FoldWidth ||
                        list[i].find(' ', 1) == std::string::npos)
                << list[i];
        }
    }
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
            if (random() % 2)
                list.SetValueOf(name, randomText(120));
            else
                list.SetValueOf(name, "");
            if (list.Count() > 0)
                list.RemoveContinuations(static_cast<int>(random() % static_cast<unsigned>(list.Count())));
            ASSERT_LT(list.Count(), 2000);
        }
    }
}
