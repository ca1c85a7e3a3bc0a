#pragma once

#include <string>
#include <string_view>

namespace qv::server {

// The corpus and the full-text index hold UTF-8; the wire carries Windows-1252.
// Letters 1252 cannot hold are written in their plain Latin form where they have one
// (Polish, Czech, Romanian, ...), other characters and broken UTF-8 sequences become "?".
std::string Utf8ToCp1252(std::string_view utf8);
// UTF-8 text with those letters in their plain Latin form and everything else as it stands:
// the form the full-text index reads, so that a keyword typed in 1252 finds "Łódź" as "Lodz".
std::string Utf8WithPlainLatin(std::string_view utf8);

} // namespace qv::server
