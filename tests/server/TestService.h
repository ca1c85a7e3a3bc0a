#pragma once

#include "tests/support/PeerProcess.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv::server::test {

// One database built from seed 1 for the whole test program, removed at exit.
const std::string& ServiceDatabasePath();

// quorvane-service on that database at 127.0.0.1 and a free port, with `options` besides (not
// in the sanitizer build).
std::unique_ptr<qv::test::PeerProcess> StartService(const std::vector<std::string>& options = {});

// The body of a GET of `target` from the service over HTTPS through libcurl, which checks the
// certificate against `caFile`; `tlsVersion` (CURL_SSLVERSION_TLSv1_2 or _TLSv1_3) is then the
// only version it offers. Nothing, with `error` set, when the exchange failed or took longer
// than `limit`.
std::optional<std::string> GetOverTls(uint16_t port, const std::string& target, const std::string& caFile,
                                      long tlsVersion, std::chrono::milliseconds limit, std::string& error);

} // namespace qv::server::test
