#pragma once

#include <string>

namespace qv::http {

// Base64 of RFC 2045: the standard alphabet with "=" padding, on one line without breaks.
std::string EncodeBase64(const std::string& bytes);

} // namespace qv::http
