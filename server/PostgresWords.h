#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv::server {

// The index tokenizer's words in PostgreSQL's full-text types: written as literals, which the
// server takes as they stand, so that its own parser never splits or folds them anew. Without
// positions, as array_to_tsvector makes them: a search asks only whether a tender holds a word.
class PostgresWords {
public:
    // The longest word a tsvector or a tsquery holds; longer ones go in as "~" and a digest of
    // them, which no word of the tokenizer can look like.
    static constexpr size_t kMaxWordBytes = 2046;
    // The words of one tsvector, all told, at most (the type's limit is 1 MB).
    static constexpr size_t kMaxVectorBytes = 1000000;
    // The word under which the word counts keep the number of tenders of each country: no word
    // of the tokenizer is empty.
    static constexpr const char* kTendersOfCountry = "";

    // The word as PostgreSQL keeps it: itself, or the stand-in of a long one.
    static std::string Lexeme(std::string_view word);
    // The lexeme that stands for a tender's country, beside its words, so that the word index
    // finds the tenders of one country; no word of the tokenizer looks like it.
    static std::string CountryLexeme(std::string_view country) { return "#" + std::string(country); }
    // A tsvector literal of the lexemes, repeats allowed.
    static std::string Vector(const std::vector<std::string>& lexemes);
    // A tsquery literal that holds every word and, unless it is empty, the country's lexeme.
    static std::string AllOf(const std::vector<std::string>& words, std::string_view country);
};

} // namespace qv::server
