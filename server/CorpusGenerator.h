#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::server {

// One generated notice. Text is UTF-8 with "\n" between lines; dates in the text are
// written as "{D+N}", N days after publication, and filled in when the notice is served,
// so that the corpus keeps its ages whatever day it is read on.
struct Tender {
    int64_t id = 0;
    std::string country;
    // Days before the current day; 0 is published today.
    int age = 0;
    std::string title;
    std::string text;
};

struct DemoAccount {
    std::string email;
    std::string password;
    std::string name;
    // The four-character word that opens a successful login reply.
    std::string word;
    std::vector<std::string> keywords;
};

// Fills a corpus deterministically from a seed: the same seed gives the same tenders
// in the same order, oldest first, with ids counting from 1.
class CorpusGenerator {
public:
    static constexpr int kDays = 90;
    static constexpr int kPublishedToday = 300;
    // Every earlier day publishes between these many notices, so the corpus holds at least 20,000.
    static constexpr int kDailyLow = 222;
    static constexpr int kDailyHigh = 262;

    explicit CorpusGenerator(uint64_t seed) : seed_(seed) {}

    void Generate(const std::function<void(const Tender&)>& sink) const;

    static const std::vector<DemoAccount>& DemoAccounts();

private:
    uint64_t seed_;
};

// Replaces the "{D+N}" marks with dates in the form DD/MM/YYYY, counted from the
// publication day given as days since 30 December 1899.
std::string ResolveNoticeDates(std::string_view text, int publicationDay);

} // namespace qv::server
