#pragma once

#include "server/FrontEndLimits.h"

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
    // Notice files, folders and packages to import into the database, which is then not served.
    std::vector<std::string> imports;
    // A number of tenders to generate into a new database, which is then not served; 0 for none.
    int64_t generate = 0;
    // PEM files of the certificate chain and its key; with both, the service speaks HTTPS.
    std::string tlsCertificate;
    std::string tlsKey;
    // 0 for no cap.
    int maxConnectionsPerAddress = kDefaultMaxConnectionsPerAddress;
    bool help = false;
    bool version = false;
};

// Reads "--name value" and "--name=value" in any order; "--import" takes every value up to the
// next option. Nothing, with `error` set, for an unknown option, a missing value, a value out
// of range, both --import and --generate, or one of --tls-cert and --tls-key without the other.
std::optional<ServiceOptions> ParseServiceOptions(const std::vector<std::string>& arguments,
                                                  std::string& error);

extern const char* const kServiceUsage;

} // namespace qv::server
