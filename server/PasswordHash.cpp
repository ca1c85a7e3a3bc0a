#include "server/PasswordHash.h"

#include "framework/Conversions.h"

#include <array>
#include <cstdint>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <stdexcept>
#include <vector>

namespace qv::server {

namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr int kIterations = 100000;
// A stored record cannot make one check cost more than this.
constexpr int kMaxIterations = 10000000;
constexpr size_t kSaltBytes = 16;
constexpr size_t kHashBytes = 32;
constexpr size_t kMaxHashBytes = 64;

std::string ToHex(const unsigned char* data, size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < size; ++i) {
        hex += kDigits[data[i] >> 4];
        hex += kDigits[data[i] & 15];
    }
    return hex;
}

bool FromHex(std::string_view hex, std::vector<unsigned char>& out) {
    if (hex.empty() || hex.size() % 2 != 0) return false;
    out.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        const auto byte = framework::TryHexToInt(std::string(hex.substr(i, 2)));
        if (!byte) return false;
        out.push_back(static_cast<unsigned char>(*byte));
    }
    return true;
}

std::vector<unsigned char> Derive(std::string_view password, const std::vector<unsigned char>& salt,
                                  int iterations, size_t size) {
    std::vector<unsigned char> key(size);
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                          static_cast<int>(salt.size()), iterations, EVP_sha256(), static_cast<int>(size),
                          key.data()) != 1)
        throw std::runtime_error("password key derivation failed");
    return key;
}

} // namespace

std::string HashPassword(std::string_view password) {
    std::vector<unsigned char> salt(kSaltBytes);
    if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1)
        throw std::runtime_error("no random bytes for a password salt");
    const auto key = Derive(password, salt, kIterations, kHashBytes);
    return std::string(kScheme) + "$" + std::to_string(kIterations) + "$" + ToHex(salt.data(), salt.size()) +
           "$" + ToHex(key.data(), key.size());
}

bool VerifyPassword(std::string_view password, std::string_view stored) {
    std::array<std::string_view, 4> fields;
    for (size_t i = 0; i < fields.size(); ++i) {
        const size_t end = i + 1 < fields.size() ? stored.find('$') : stored.size();
        if (end == std::string_view::npos) return false;
        fields[i] = stored.substr(0, end);
        stored.remove_prefix(i + 1 < fields.size() ? end + 1 : end);
    }
    const auto iterations = framework::TryStrToInt(std::string(fields[1]));
    std::vector<unsigned char> salt;
    std::vector<unsigned char> expected;
    if (fields[0] != kScheme || !iterations || *iterations < 1 || *iterations > kMaxIterations ||
        !FromHex(fields[2], salt) || !FromHex(fields[3], expected) || expected.size() > kMaxHashBytes)
        return false;
    const auto key = Derive(password, salt, *iterations, expected.size());
    return CRYPTO_memcmp(key.data(), expected.data(), key.size()) == 0;
}

const std::string& DummyPasswordHash() {
    static const std::string hash = [] {
        unsigned char secret[kSaltBytes];
        if (RAND_bytes(secret, static_cast<int>(sizeof secret)) != 1)
            throw std::runtime_error("no random bytes for a stand-in password");
        return HashPassword(ToHex(secret, sizeof secret));
    }();
    return hash;
}

} // namespace qv::server
