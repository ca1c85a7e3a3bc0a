#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::service {

// Replies are taken as they stand: nothing is trimmed.

// The words that open a successful login reply; the client relies only on their length.
bool IsAccountWord(const std::string& word);
// False for "Bad login" and for every reply that does not open with an account word.
bool LoginSucceeded(const std::string& reply);
// The account details after the account word: display name, "{{}}", keywords.
std::string LoginTail(const std::string& reply);

struct TenderRow {
    std::string title;
    std::string id;
};

// The first two characters are "ok".
bool ReplySucceeded(const std::string& reply);
// Characters 3 to 12 read with the framework's integer conversion; raises EConvertError
// with "'%s' is not a valid integer value" when they do not read as one.
int32_t BrowseReplyTotal(const std::string& reply);
// The list from character 15, split as the framework's string list splits text, taken in
// (title, id) pairs; an unpaired last line is dropped.
std::vector<TenderRow> BrowseReplyRows(const std::string& reply);
// The full text of a view reply: every line after the first, line breaks made CR LF.
std::string ViewReplyText(const std::string& reply);

} // namespace qv::service
