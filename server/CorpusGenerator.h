#pragma once

#include "server/Tender.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::server {

class SeededRandom;

struct DemoAccount {
    std::string email;
    std::string password;
    std::string name;
    // The four-character word that opens a successful login reply.
    std::string word;
    std::vector<std::string> keywords;

    // Comma-separated, as the database keeps them and the login reply lists them.
    std::string KeywordList() const;
};

// Fills a corpus deterministically from a seed: the same seed gives the same tenders
// in the same order, oldest first, with ids counting from 1. Days count from the current
// day (0 today, -1 yesterday); dates in the texts are written as "{D+N}", N days after
// publication, and filled in when a tender is served, so that the corpus never ages.
class CorpusGenerator {
public:
    // The demo corpus.
    static constexpr int kDays = 90;
    static constexpr int kPublishedToday = 300;
    // Every earlier day publishes between these many notices, so the corpus holds at least 20,000.
    static constexpr int kDailyLow = 222;
    static constexpr int kDailyHigh = 262;
    // A corpus of a given size spreads its tenders evenly over two years.
    static constexpr int kSpreadDays = 730;

    // The demo corpus of the seed.
    explicit CorpusGenerator(uint64_t seed) : seed_(seed) {}
    // `count` tenders spread over kSpreadDays days, today included.
    CorpusGenerator(uint64_t seed, int64_t count) : seed_(seed), count_(count) {}

    uint64_t Seed() const { return seed_; }
    void Generate(const std::function<void(const Tender&)>& sink) const;

    static const std::vector<DemoAccount>& DemoAccounts();
    // The stored password hashes of the demo accounts, in their order. A password the accounts
    // share is derived once: the derivation is slow on purpose, and these passwords are public.
    static std::vector<std::string> DemoPasswordHashes();

private:
    int PublishedOn(int age, SeededRandom& random) const;

    uint64_t seed_;
    // 0 for the demo corpus.
    int64_t count_ = 0;
};

// Replaces the "{D+N}" marks with dates in the form DD/MM/YYYY, counted from the
// publication day given as days since 30 December 1899.
std::string ResolveNoticeDates(std::string_view text, int publicationDay);

} // namespace qv::server
