#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qv::skin {

// The traditional PKWARE stream cipher of the ZIP application note: three 32-bit keys seeded
// with the password, each key byte depending on all plain bytes before it.
class TPkCipher {
public:
    explicit TPkCipher(const std::string& password);

    uint8_t Decrypt(uint8_t cipherByte) {
        const auto plain = static_cast<uint8_t>(cipherByte ^ KeyByte());
        UpdateKeys(plain);
        return plain;
    }
    uint8_t Encrypt(uint8_t plain) {
        const auto cipherByte = static_cast<uint8_t>(plain ^ KeyByte());
        UpdateKeys(plain);
        return cipherByte;
    }
    void Decrypt(uint8_t* data, size_t size) {
        for (size_t i = 0; i < size; ++i)
            data[i] = Decrypt(data[i]);
    }

private:
    uint8_t KeyByte() const {
        const uint32_t temp = (keys_[2] | 2) & 0xFFFF;
        return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
    }
    void UpdateKeys(uint8_t plain);

    uint32_t keys_[3];
};

} // namespace qv::skin
