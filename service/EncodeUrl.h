#pragma once

#include <string>

namespace qv::service {

// Escapes a whole request URL: a space, "*", "#", "%", "<", ">", every control byte (below
// 0x20, and 0x7F) and every byte of 0x80 or more become "%" and two upper-case hex digits; all
// other bytes pass unchanged.
std::string EncodeUrl(const std::string& url);

// Escapes one query value: the EncodeUrl rules plus "&", "=" and "+", which would
// otherwise end the value, start another or reach the service as a blank.
std::string EncodeValue(const std::string& value);

} // namespace qv::service
