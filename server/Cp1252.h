#pragma once

#include <string>
#include <string_view>

namespace qv::server {

// The corpus and the full-text index hold UTF-8; the wire carries Windows-1252.
// Characters 1252 cannot hold, and broken UTF-8 sequences, become "?".
std::string Utf8ToCp1252(std::string_view utf8);
std::string Cp1252ToUtf8(std::string_view text);

} // namespace qv::server
