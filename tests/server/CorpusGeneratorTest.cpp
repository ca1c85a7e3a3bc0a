#include "server/CorpusGenerator.h"
#include "framework/DateTime.h"
#include "server/Cp1252.h"
#include "server/PasswordHash.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <set>

namespace qv::server::test {

namespace {

struct Summary {
    size_t digest = 0;
    int count = 0;
    std::map<int, int> perAge;
    std::set<std::string> countries;
    int accented = 0;
    bool idsInOrder = true;
};

Summary Summarise(uint64_t seed) {
    Summary summary;
    CorpusGenerator(seed).Generate([&](const Tender& t) {
        summary.idsInOrder = summary.idsInOrder && t.id == summary.count + 1;
        ++summary.count;
        summary.digest = summary.digest * 31 + std::hash<std::string>()(t.country + t.title + t.text) - t.day;
        ++summary.perAge[-t.day];
        summary.countries.insert(t.country);
        const std::string wire = Utf8ToCp1252(t.title);
        EXPECT_EQ(wire.find('?'), std::string::npos) << t.title;
        if (wire != t.title) ++summary.accented;
    });
    return summary;
}

} // namespace

TEST(CorpusGenerator, TheSeedAloneDecidesTheCorpus) {
    const Summary first = Summarise(1);
    EXPECT_EQ(first.digest, Summarise(1).digest);
    EXPECT_NE(first.digest, Summarise(2).digest);
}

TEST(CorpusGenerator, CoversNinetyDaysAndTheFilterCountries) {
    const Summary corpus = Summarise(42);
    EXPECT_GE(corpus.count, 20000);
    EXPECT_TRUE(corpus.idsInOrder);
    ASSERT_EQ(corpus.perAge.size(), 90u);
    EXPECT_EQ(corpus.perAge.begin()->first, 0);
    EXPECT_EQ(corpus.perAge.at(0), CorpusGenerator::kPublishedToday);
    EXPECT_EQ(corpus.countries, (std::set<std::string>{"AT", "BE", "DK", "FI", "FR", "DE", "GR", "IE", "IM",
                                                       "IT", "LU", "MC", "NL", "PT", "ES", "SE", "GB"}));
    EXPECT_GT(corpus.accented, 1000);
}

TEST(CorpusGenerator, DemoAccountsHoldTheirKeywordCounts) {
    std::map<std::string, size_t> keywords;
    for (const auto& account : CorpusGenerator::DemoAccounts()) {
        keywords[account.email] = account.keywords.size();
        EXPECT_EQ(account.word.size(), 4u);
        EXPECT_EQ(account.password, "demo");
    }
    EXPECT_GE(keywords.at("demo@quorvane.example"), 3u);
    EXPECT_EQ(keywords.at("ten@quorvane.example"), 10u);
    EXPECT_EQ(keywords.at("none@quorvane.example"), 0u);
    const auto hashes = CorpusGenerator::DemoPasswordHashes();
    ASSERT_EQ(hashes.size(), CorpusGenerator::DemoAccounts().size());
    for (size_t i = 0; i < hashes.size(); ++i)
        EXPECT_TRUE(VerifyPassword(CorpusGenerator::DemoAccounts()[i].password, hashes[i]));
}

TEST(NoticeDates, MarksBecomeDatesAfterPublication) {
    const int published = static_cast<int>(qv::framework::EncodeDate(2026, 12, 20));
    EXPECT_EQ(ResolveNoticeDates("from {D+0} to {D+12}.", published), "from 20/12/2026 to 01/01/2027.");
    EXPECT_EQ(ResolveNoticeDates("{D+} {D+x} {D+1234} {D+5", published), "{D+} {D+x} {D+1234} {D+5");
}

TEST(NoticeDates, RandomTextNeverHangsOrLosesBytesOutsideMarks) {
    std::mt19937 random(11);
    const std::string alphabet = "{D+}0123456789ab";
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 30, ' ');
        for (auto& c : text)
            c = alphabet[random() % alphabet.size()];
        const std::string out = ResolveNoticeDates(text, 46000);
        if (text.find("{D+") == std::string::npos) {
            EXPECT_EQ(out, text);
        }
    }
}

TEST(PasswordHash, SaltedAndVerifiable) {
    const std::string first = HashPassword("demo");
    const std::string second = HashPassword("demo");
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind("pbkdf2-sha256$", 0), 0u);
    EXPECT_TRUE(VerifyPassword("demo", first));
    EXPECT_TRUE(VerifyPassword("demo", second));
    EXPECT_FALSE(VerifyPassword("Demo", first));
    EXPECT_FALSE(VerifyPassword("", first));
}

TEST(PasswordHash, MalformedStoredFormsAreRefusedQuickly) {
    for (const char* stored :
         {"", "demo", "pbkdf2-sha256$", "pbkdf2-sha256$1000$$00", "pbkdf2-sha256$x$00$00",
          "pbkdf2-sha256$0$00$00", "pbkdf2-sha256$99999999$00$00", "md5$1000$00$00",
          "pbkdf2-sha256$1000$0g$00", "pbkdf2-sha256$1000$000$00"})
        EXPECT_FALSE(VerifyPassword("demo", stored)) << stored;
    std::mt19937 random(5);
    for (int round = 0; round < 500; ++round) {
        std::string stored = "pbkdf2-sha256$";
        for (int i = random() % 30; i > 0; --i)
            stored += "0123456789abcdef$-"[random() % 18];
        const auto iterations = stored.substr(14, stored.find('$', 14) - 14);
        if (iterations.size() > 4) continue; // keeps every check cheap
        EXPECT_NO_THROW(VerifyPassword("demo", stored));
    }
}

} // namespace qv::server::test
