#pragma once

#include <cstdint>
#include <string>

namespace qv::server {

// One tender as the service stores it. Text is UTF-8 with "\n" between lines; its first
// line is the title.
struct Tender {
    int64_t id = 0;
    // A code of the protocol's country filter, or empty for a country outside it.
    std::string country;
    // The publication day: days since 30 December 1899 for imported notices; in a generated
    // corpus days from the current day (0 today, -1 yesterday), so that it never ages.
    int day = 0;
    std::string title;
    std::string text;
};

} // namespace qv::server
