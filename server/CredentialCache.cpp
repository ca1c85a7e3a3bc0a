#include "server/CredentialCache.h"

#include <array>
#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>
#include <stdexcept>

namespace qv::server {

CredentialCache::CredentialCache(size_t capacity) : capacity_(capacity), keyed_(nullptr, EVP_MAC_CTX_free) {
    // The key lives on in the keyed context alone.
    std::array<unsigned char, 32> key{};
    if (RAND_bytes(key.data(), static_cast<int>(key.size())) != 1)
        throw std::runtime_error("no random bytes for the credential cache");
    EVP_MAC* hmac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
    keyed_.reset(hmac ? EVP_MAC_CTX_new(hmac) : nullptr);
    EVP_MAC_free(hmac);
    char digest[] = "SHA256";
    const OSSL_PARAM parameters[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                                     OSSL_PARAM_construct_end()};
    const bool keyed = keyed_ && EVP_MAC_init(keyed_.get(), key.data(), key.size(), parameters) == 1;
    OPENSSL_cleanse(key.data(), key.size());
    if (!keyed) throw std::runtime_error("no keyed digest for the credential cache");
}

CredentialCache::~CredentialCache() = default;

std::string CredentialCache::Digest(const std::string& email, const std::string& password) const {
    // The length prefix keeps "ab" + "c" apart from "a" + "bc", whatever bytes either holds.
    const std::string message = std::to_string(email.size()) + ":" + email + password;
    unsigned char digest[EVP_MAX_MD_SIZE];
    size_t size = 0;
    const std::unique_ptr<EVP_MAC_CTX, void (*)(EVP_MAC_CTX*)> mac(EVP_MAC_CTX_dup(keyed_.get()),
                                                                   EVP_MAC_CTX_free);
    if (!mac ||
        EVP_MAC_update(mac.get(), reinterpret_cast<const unsigned char*>(message.data()), message.size()) !=
            1 ||
        EVP_MAC_final(mac.get(), digest, &size, sizeof digest) != 1)
        throw std::runtime_error("the keyed digest of the credential cache failed");
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
