#pragma once

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace qv::server {

// The full-text index of the tenders, as its writer and its readers both must see it: the
// tokenizer, the column that carries the country, and the match expressions.
class TenderIndex {
public:
    // The tokenizer of the index; word counts use the same one, so that they count the words
    // exactly as the index splits and folds them.
    static constexpr const char* kTokenizer = "unicode61";
    static constexpr const char* kTokenizerArguments[] = {"remove_diacritics", "2"};

    // The CREATE statement of the index table.
    static std::string Schema();
    // Merges the index into one piece, so that a search reads each word's list of tenders in
    // one place instead of one from every batch of writes; a few seconds for a million tenders.
    static void Merge(sqlite3* db);

    // Two capital letters, the form of every code of the country filter.
    static bool IsCountryCode(std::string_view code);
    // The one word of the country column: none for a tender outside the country filter.
    static std::string CountryWord(std::string_view country);
    // Whether the word is one that CountryWord gives.
    static bool IsCountryWord(std::string_view word);

    // Matches every word in the text only, so that a word of the country column can never be
    // searched for; "EU" stands for all countries. The words are the tokenizer's, which hold no
    // quote, so each stands quoted as it is.
    static std::string Match(const std::vector<std::string>& words, std::string_view country);
};

} // namespace qv::server
