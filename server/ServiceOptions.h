#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv::server {

struct ServiceOptions {
    // 0 lets the system pick a free port, which the start-up line names.
    int port = 8080;
    std::string bind = "127.0.0.1";
    std::string database = "quorvane-service.db";
    uint64_t seed = 1;
    bool help = false;
};

// Reads "--name value" and "--name=value". Nothing, with `error` set, for an unknown
// option, a missing value or a value out of range.
std::optional<ServiceOptions> ParseServiceOptions(const std::vector<std::string>& arguments,
                                                  std::string& error);

extern const char* const kServiceUsage;

} // namespace qv::server
