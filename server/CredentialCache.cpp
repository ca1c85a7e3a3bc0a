#include "server/CredentialCache.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <stdexcept>

namespace qv::server {

CredentialCache::CredentialCache(size_t capacity) : capacity_(capacity) {
    if (RAND_bytes(key_.data(), static_cast<int>(key_.size())) != 1)
        throw std::runtime_error("no random bytes for the credential cache");
}

std::string CredentialCache::Digest(const std::string& email, const std::string& password) const {
    // The length prefix keeps "ab" + "c" apart from "a" + "bc", whatever bytes either holds.
    const std::string message = std::to_string(email.size()) + ":" + email + password;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    HMAC(EVP_sha256(), key_.data(), static_cast<int>(key_.size()),
         reinterpret_cast<const unsigned char*>(message.data()), message.size(), digest, &size);
    return std::string(reinterpret_cast<const char*>(digest), size);
}

bool CredentialCache::Contains(const std::string& email, const std::string& password) const {
    const std::string digest = Digest(email, password);
    const std::lock_guard lock(mutex_);
    return digests_.count(digest) != 0;
}

void CredentialCache::Remember(const std::string& email, const std::string& password) {
    const std::string digest = Digest(email, password);
    const std::lock_guard lock(mutex_);
    // A flood of distinct logins only ever costs the capacity; starting over is cheap.
    if (digests_.size() >= capacity_) digests_.clear();
    digests_.insert(digest);
}

} // namespace qv::server
