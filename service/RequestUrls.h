#pragma once

#include <cstdint>
#include <string>

namespace qv::service {

// The request URLs of the three actions, ready for http.Get: literal pieces joined as they
// are, each value escaped on its own with EncodeValue. For values without "&", "=" and "+"
// this is byte for byte EncodeUrl of the plain concatenation. `host` may carry a port, and a
// scheme ("https://"); without one the URL is an http one.
std::string CheckLoginUrl(const std::string& host, const std::string& email, const std::string& password);
// `countryCode` is one of the filter's two-letter codes, "EU" for all countries.
std::string BrowseUrl(const std::string& host, const std::string& email, const std::string& password,
                      int32_t page, const std::string& keyword, const std::string& countryCode);
// `id` exactly as the browse reply gave it.
std::string ViewTenderUrl(const std::string& host, const std::string& email, const std::string& password,
                          const std::string& id);

} // namespace qv::service
