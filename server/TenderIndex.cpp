#include "server/TenderIndex.h"

#include "server/SqliteStatement.h"

namespace qv::server {

std::string TenderIndex::Schema() {
    std::string tokenize = kTokenizer;
    for (const char* argument : kTokenizerArguments)
        tokenize += std::string(" ") + argument;
    // The index keeps no copy of the text it indexes: the texts live in their own tables. The
    // text opens with the title, which so needs no column of its own.
    return "CREATE VIRTUAL TABLE tender_index USING fts5(text, country, content='', tokenize='" + tokenize +
           "')";
}

void TenderIndex::Merge(sqlite3* db) {
    SqliteStatement::Execute(db, "INSERT INTO tender_index(tender_index) VALUES('optimize')");
}

bool TenderIndex::IsCountryCode(std::string_view code) {
    return code.size() == 2 && code[0] >= 'A' && code[0] <= 'Z' && code[1] >= 'A' && code[1] <= 'Z';
}

std::string TenderIndex::CountryWord(std::string_view country) {
    if (!IsCountryCode(country)) return {};
    return "qvcountry" + std::string(1, static_cast<char>(country[0] - 'A' + 'a')) +
           static_cast<char>(country[1] - 'A' + 'a');
}

bool TenderIndex::IsCountryWord(std::string_view word) {
    constexpr std::string_view kPrefix = "qvcountry";
    return word.size() == kPrefix.size() + 2 && word.starts_with(kPrefix) &&
           IsCountryCode(std::string{static_cast<char>(word[kPrefix.size()] - 'a' + 'A'),
                                     static_cast<char>(word[kPrefix.size() + 1] - 'a' + 'A')});
}

// The caller passes "EU" or a country code, so the quoted word is never empty. Only a word that
// the country column may hold needs the column named: checking the column of every match costs.
std::string TenderIndex::Match(const std::vector<std::string>& words, std::string_view country) {
    std::string match;
    for (const auto& word : words)
        match += (match.empty() ? "" : " AND ") + std::string(IsCountryWord(word) ? "text: \"" : "\"") +
                 word + "\"";
    if (country == "EU") return match;
    return match + " AND country: \"" + CountryWord(country) + "\"";
}

} // namespace qv::server
