#include "tests/server/TestService.h"

#include <curl/curl.h>

namespace qv::server::test {

std::unique_ptr<qv::test::PeerProcess> StartServiceOn(const std::string& database,
                                                      const std::vector<std::string>& options) {
    std::string command =
        std::string("exec ") + QV_SERVICE_PATH + " --port \"$(cat {CONFIG})\" --db '" + database + "'";
    for (const auto& option : options)
        command += " '" + option + "'";
    // The peer writes the free port into its configuration file; the shell hands it on.
    return std::make_unique<qv::test::PeerProcess>("/bin/sh", std::vector<std::string>{"-c", command},
                                                   "{PORT}");
}

std::unique_ptr<qv::test::PeerProcess> StartService(const std::vector<std::string>& options) {
    return StartServiceOn(ServiceDatabasePath(), options);
}

std::optional<std::string> GetOverTls(uint16_t port, const std::string& target, const std::string& caFile,
                                      long tlsVersion, std::chrono::milliseconds limit, std::string& error) {
    CURL* curl = curl_easy_init();
    std::string body;
    const std::string url = "https://127.0.0.1:" + std::to_string(port) + target;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());
    curl_easy_setopt(curl, CURLOPT_SSLVERSION, tlsVersion | (tlsVersion << 16));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(limit.count()));
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION, +[](char* data, size_t size, size_t count, void* sink) {
            static_cast<std::string*>(sink)->append(data, size * count);
            return size * count;
        });
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    const CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK || status != 200) {
        error = result != CURLE_OK ? curl_easy_strerror(result) : "status " + std::to_string(status);
        return std::nullopt;
    }
    return body;
}

} // namespace qv::server::test
