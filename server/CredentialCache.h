#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>

struct evp_mac_ctx_st;

namespace qv::server {

// Remembers credentials that passed the slow password check, so that the browse and
// view requests, which all carry the password, cost one keyed digest instead. Only the
// digest is kept, under a key made fresh for each process; no password stays in memory.
class CredentialCache {
public:
    explicit CredentialCache(size_t capacity = 4096);
    ~CredentialCache();

    bool Contains(const std::string& email, const std::string& password) const;
    void Remember(const std::string& email, const std::string& password);

private:
    std::string Digest(const std::string& email, const std::string& password) const;

    const size_t capacity_;
    // Keyed once: each digest starts from a copy, which spares looking the algorithm up and
    // preparing the key for every request.
    std::unique_ptr<evp_mac_ctx_st, void (*)(evp_mac_ctx_st*)> keyed_;
    mutable std::mutex mutex_;
    std::unordered_set<std::string> digests_;
};

} // namespace qv::server
