#include "crash/delivery/EhloReply.h"

#include <algorithm>
#include <sstream>

namespace qv::crash {

namespace {

// Where the text after the code and its separator starts.
constexpr size_t kTextAt = 4;

std::string TextOf(const std::string& line) {
    return line.size() > kTextAt ? line.substr(kTextAt) : std::string();
}

bool LineOffersLogin(const std::string& line) {
    std::string text = TextOf(line);
    std::replace(text.begin(), text.end(), '=', ' ');
    std::istringstream words(text);
    std::string word;
    if (!(words >> word) || word != "AUTH") return false;
    while (words >> word)
        if (word == "LOGIN") return true;
    return false;
}

bool LineOffersStartTls(const std::string& line) {
    std::istringstream words(TextOf(line));
    std::string word;
    return words >> word && word == "STARTTLS" && !(words >> word);
}

} // namespace

bool OffersLogin(const http::TIdReplyReader::TReply& reply) {
    return std::any_of(reply.lines.begin(), reply.lines.end(), LineOffersLogin);
}

bool OffersStartTls(const http::TIdReplyReader::TReply& reply) {
    return std::any_of(reply.lines.begin(), reply.lines.end(), LineOffersStartTls);
}

} // namespace qv::crash
