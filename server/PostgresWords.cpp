#include "server/PostgresWords.h"

#include "server/DatabaseError.h"

#include <openssl/evp.h>

namespace qv::server {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

std::string Quoted(std::string_view word) {
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "'";
}

} // namespace

std::string PostgresWords::Lexeme(std::string_view word) {
    if (word.size() <= kMaxWordBytes) return std::string(word);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(word.data(), word.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        throw EDatabaseError("cannot digest a long word");
    std::string lexeme = "~";
    for (unsigned int i = 0; i < length; ++i)
        lexeme += std::string{kHexDigits[digest[i] >> 4], kHexDigits[digest[i] & 0xF]};
    return lexeme;
}

std::string PostgresWords::Vector(const std::vector<std::string>& lexemes) {
    std::string vector;
    for (const auto& lexeme : lexemes)
        vector += (vector.empty() ? "" : " ") + Quoted(lexeme);
    return vector;
}

std::string PostgresWords::AllOf(const std::vector<std::string>& words, std::string_view country) {
    std::string query;
    for (const auto& word : words)
        query += (query.empty() ? "" : " & ") + Quoted(Lexeme(word));
    if (!country.empty()) query += " & " + Quoted(CountryLexeme(country));
    return query;
}

} // namespace qv::server
