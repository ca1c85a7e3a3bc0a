#pragma once

#include <string>
#include <string_view>

namespace qv::server {

// Text from outside (names of files and archive members, words of a document) made safe to
// print on a terminal line: control characters, C1 and bidirectional ones included, and bytes
// that are no UTF-8 become "\xHH", so that no name can end the line, move the cursor, reorder
// what the line shows or forge the lines after it.
std::string TerminalText(std::string_view text);

} // namespace qv::server
