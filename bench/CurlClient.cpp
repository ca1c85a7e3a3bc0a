#include "bench/CurlClient.h"

#include <memory>
#include <stdexcept>

namespace qv::bench {

namespace {
size_t Append(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}
} // namespace

CurlClient::CurlClient() : curl_(curl_easy_init()) {
    if (!curl_) throw std::runtime_error("curl_easy_init failed");
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl_, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl_, CURLOPT_FORBID_REUSE, 1L);
    // Our client ignores the proxy variables of the environment; so must the peer.
    curl_easy_setopt(curl_, CURLOPT_PROXY, "");
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, Append);
}

CurlClient::~CurlClient() {
    curl_easy_cleanup(curl_);
}

std::string CurlClient::Get(const std::string& url) {
    std::string body;
    curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &body);
    const CURLcode rc = curl_easy_perform(curl_);
    if (rc != CURLE_OK) throw std::runtime_error(std::string("libcurl: ") + curl_easy_strerror(rc));
    return body;
}

std::string CurlClient::Post(const std::string& url, const std::string& body) {
    // Our client sends the body at once, without waiting for an interim 100 reply.
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(
        curl_slist_append(nullptr, "Expect:"), curl_slist_free_all);
    curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    // The handle makes plain GETs again however the transfer ends.
    struct BackToGet {
        CURL* curl;
        ~BackToGet() {
            curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
            curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
        }
    } backToGet{curl_};
    return Get(url);
}

void CurlClient::TrustFile(const std::string& path) {
    curl_easy_setopt(curl_, CURLOPT_CAINFO, path.c_str());
}

} // namespace qv::bench
