#pragma once

#include <curl/curl.h>

#include <string>

namespace qv::bench {

// The peer of the benchmarks: libcurl's easy interface, one handle for the whole run,
// a new connection for every request (as our client does when the caller disconnects
// after each exchange).
class CurlClient {
public:
    CurlClient();
    ~CurlClient();
    CurlClient(const CurlClient&) = delete;
    CurlClient& operator=(const CurlClient&) = delete;

    // The body of a GET; throws when the transfer fails.
    std::string Get(const std::string& url);
    // The reply body of a POST of `body`; throws when the transfer fails.
    std::string Post(const std::string& url, const std::string& body);
    // Trusts the certificates of this file for https, as our client does through SSL_CERT_FILE.
    void TrustFile(const std::string& path);

private:
    CURL* curl_;
};

} // namespace qv::bench
