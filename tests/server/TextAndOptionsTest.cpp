#include "framework/Cp1252.h"
#include "server/Cp1252.h"
#include "server/PostgresConnection.h"
#include "server/ReplyCache.h"
#include "server/ServiceOptions.h"
#include "server/SqliteTenderDatabase.h"
#include "server/TerminalText.h"
#include "tests/server/TestService.h"

#include <gtest/gtest.h>

#include <random>

namespace qv::server::test {

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
    for (int byte = 1; byte < 256; ++byte) {
        const std::string text(1, static_cast<char>(byte));
        EXPECT_EQ(Utf8ToCp1252(framework::Cp1252ToUtf8(text)), text) << byte;
    }
    EXPECT_EQ(framework::Cp1252ToUtf8("\x80\xE9"), "\xE2\x82\xAC\xC3\xA9");
}

TEST(Cp1252, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
    EXPECT_EQ(Utf8ToCp1252("\xCE\xB1-\xE2\x82\xAC"), "?-\x80"); // Greek alpha, euro sign
    EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80x"), "?x");         // outside the basic plane
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");                     // cut sequence
    EXPECT_EQ(Utf8ToCp1252("\xC3(\xFF\x80"), "?(??");           // broken lead and stray bytes
}

TEST(Cp1252, LettersTheCodePageLacksTakeTheirPlainLatinForm) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Łódź, Białystok", "L\xF3"
                            "dz, Bialystok"}, // Polish
        {"Příliš žluťoučký kůň", "Pr\xEDli\x9A \x9Elutou"
                                 "ck\xFD kun"},                 // Czech
        {"Brașov, Timişoara, Țară", "Brasov, Timisoara, Tara"}, // Romanian, both forms
        {"Đakovo, Ħamrun, Győr, Ĳmuiden",
         "Dakovo, Hamrun, Gyor, IJmuiden"}, // Croatian, Maltese, Hungarian, Dutch
        {"Œuvre\xE2\x80\x91"
         "d\xE2\x80\xAF: 5",
         "\x8C"
         "uvre-d : 5"},     // in the code page; hyphen, narrow space
        {"Αθήνα", "?????"}, // no plain form
    };
    for (const auto& [utf8, wire] : cases)
        EXPECT_EQ(Utf8ToCp1252(utf8), wire) << utf8;
    // The index reads the plain forms of what the code page lacks and leaves the rest.
    EXPECT_EQ(Utf8WithPlainLatin("Łódź Œuvre Αθήνα \xC3"), "Lódz Œuvre Αθήνα \xC3");
}

TEST(Cp1252, RandomBytesNeverGrowTheText) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 40, '\0');
        for (auto& c : bytes)
            c = static_cast<char>(random());
        EXPECT_LE(Utf8ToCp1252(bytes).size(), bytes.size());
    }
}

TEST(TerminalText, EscapesControlsAndBrokenUtf8Only) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"daily/2024 notice-\u0141\u00F3d\u017A.xml", "daily/2024 notice-\u0141\u00F3d\u017A.xml"},
        {"a\nb\rc\td\x1B[2Je\x7F", "a\\x0Ab\\x0Dc\\x09d\\x1B[2Je\\x7F"},
        {std::string("n\0x", 3), "n\\x00x"},
        // C1 controls in UTF-8, then bytes that are no UTF-8: a lone continuation, a cut sequence.
        {"\xC2\x9B"
         "2J \xC2\xA0",
         "\\xC2\\x9B2J \xC2\xA0"},
        {"\x9B \xE2\x82", "\\x9B \\xE2\\x82"},
        // Bidirectional controls, which reorder what a terminal shows, in UTF-8 and in an overlong
        // form; their neighbours (a hyphen, a quotation mark, a word joiner) stay.
        {"a\u202Eb\u202Ac\u2066d\u2069e\u200Ef\u200Fg\u061Ch",
         "a\\xE2\\x80\\xAEb\\xE2\\x80\\xAAc\\xE2\\x81\\xA6d"
         "\\xE2\\x81\\xA9e\\xE2\\x80\\x8Ef\\xE2\\x80\\x8Fg\\xD8\\x9Ch"},
        {"\xF0\x82\x80\xAE \u2010\u201D\u2060", "\\xF0\\x82\\x80\\xAE \u2010\u201D\u2060"},
        // Forms that are no UTF-8 though their bytes fit its pattern: an overlong escape and line
        // feed, a surrogate, a code point beyond U+10FFFF.
        {"\xE0\x80\x9B[2J\xF0\x80\x80\x8A \xED\xA0\x80 \xF4\x90\x80\x80",
         "\\xE0\\x80\\x9B[2J\\xF0\\x80\\x80\\x8A \\xED\\xA0\\x80 \\xF4\\x90\\x80\\x80"},
    };
    for (const auto& [text, printed] : cases)
        EXPECT_EQ(TerminalText(text), printed) << printed;
}

TEST(SearchWords, AreTheIndexWordsOfTheKeywordOnce) {
    SqliteTenderDatabase database(ServiceDatabasePath());
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"road works", {"road", "works"}},
        {"  R&D*  \"x\" (OR) NEAR(", {"r", "d", "x", "or", "near"}},
        {"M\xC3\xBCnchen Road ROAD road", {"munchen", "road"}},
        // A no-break space parts words as a space does.
        {"medical\xC2\xA0"
         "equipment",
         {"medical", "equipment"}},
        {" &*-+'\" \xE2\x82\xAC ", {}},
    };
    for (const auto& [keyword, words] : cases)
        EXPECT_EQ(database.SearchWords(keyword), words) << keyword;
    std::string keyword;
    for (int i = 0; i < 100; ++i)
        keyword += "w" + std::to_string(i % 40) + " ";
    EXPECT_EQ(database.SearchWords(keyword).size(), TenderDatabase::kMaxWords);
}

TEST(ServiceOptions, ReadsBothFormsAndKeepsDefaults) {
    std::string error;
    const auto plain = ParseServiceOptions({}, error);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->bind, "127.0.0.1");
    EXPECT_EQ(plain->port, 8080);
    const auto given = ParseServiceOptions(
        {"--port", "0", "--bind=0.0.0.0", "--db", "x.db", "--seed=18446744073709551615"}, error);
    ASSERT_TRUE(given) << error;
    EXPECT_EQ(given->port, 0);
    EXPECT_EQ(given->bind, "0.0.0.0");
    EXPECT_EQ(given->database, "x.db");
    EXPECT_EQ(given->seed, UINT64_MAX);
    EXPECT_TRUE(given->imports.empty());
    EXPECT_EQ(given->generate, 0);
    const auto imports = ParseServiceOptions({"--import", "a.zip", "b", "--db", "x.db", "--import=c"}, error);
    ASSERT_TRUE(imports) << error;
    EXPECT_EQ(imports->imports, (std::vector<std::string>{"a.zip", "b", "c"}));
    const auto generate = ParseServiceOptions({"--generate", "1000000"}, error);
    ASSERT_TRUE(generate) << error;
    EXPECT_EQ(generate->generate, 1000000);
    const auto secure = ParseServiceOptions(
        {"--tls-cert", "chain.pem", "--tls-key=key.pem", "--max-connections-per-address", "0"}, error);
    ASSERT_TRUE(secure) << error;
    EXPECT_EQ(secure->tlsCertificate, "chain.pem");
    EXPECT_EQ(secure->tlsKey, "key.pem");
    EXPECT_EQ(secure->maxConnectionsPerAddress, 0);
    EXPECT_EQ(plain->maxConnectionsPerAddress, kDefaultMaxConnectionsPerAddress);
}

TEST(ServiceOptions, RefusesWhatItCannotUse) {
    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{"--port", "65536"},
                                               {"--port", "-1"},
                                               {"--port"},
                                               {"--seed", "18446744073709551616"},
                                               {"--seed", "1e3"},
                                               {"--db="},
                                               {"--import"},
                                               {"--import", "--db", "x"},
                                               {"--generate", "0"},
                                               {"--generate", "100000001"},
                                               {"--generate", "5", "--import", "a"},
                                               {"--tls-cert", "chain.pem"},
                                               {"--tls-key", "key.pem"},
                                               {"--max-connections-per-address", "-1"},
                                               {"--verbose"},
                                               {"8080"}}) {
        std::string error;
        EXPECT_FALSE(ParseServiceOptions(arguments, error)) << arguments[0];
        EXPECT_FALSE(error.empty());
    }
}

// A connection string with a mistake in it is still one, for libpq to name the mistake: taken for
// a file name, it would become a new database of demo tenders, its password in the file's name.
TEST(ServiceOptions, TellsConnectionStringsFromFileNames) {
    const struct {
        const char* database;
        bool connectionString;
    } cases[] = {
        {"postgresql://quorvane@db.example/tenders", true},
        {"host=db.example dbname=tenders", true},
        {"  dbname = tenders", true},
        {"host=db.example password=secret dbname", true},
        {"dbname='tenders", true},
        {"build/quorvane-service.db", false},
        {"a=b.db", false},
        {"tenders", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PostgresConnection::IsConnectionString(c.database), c.connectionString) << c.database;
}

TEST(ReplyCache, DropsTheLeastRecentlyUsedOncePastItsSize) {
    ReplyCache cache(25);
    cache.Store("a", std::string(9, 'a'));
    cache.Store("b", std::string(9, 'b'));
    ASSERT_TRUE(cache.Find("a")); // a is now the most recent
    cache.Store("c", std::string(9, 'c'));
    EXPECT_TRUE(cache.Find("a"));
    EXPECT_FALSE(cache.Find("b"));
    EXPECT_EQ(*cache.Find("c"), std::string(9, 'c'));
    EXPECT_EQ(cache.Bytes(), 20u);
    cache.Store("huge", std::string(100, 'h'));
    EXPECT_FALSE(cache.Find("huge"));
    EXPECT_TRUE(cache.Find("a"));
}

} // namespace qv::server::test
