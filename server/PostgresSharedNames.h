#pragma once

#include <string>

namespace qv::server {

// What the writer, the reader and the tables' maker of a PostgreSQL database agree on.

// The channel on which a committed import is announced.
inline constexpr const char* kPostgresChangeChannel = "quorvane_tenders";

// The key of an account: e-mail addresses are looked up without regard to the case of ASCII letters.
inline std::string PostgresAccountKey(const std::string& email) {
    std::string key = email;
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}

} // namespace qv::server
