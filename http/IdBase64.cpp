#include "http/IdBase64.h"

namespace qv::http {

std::string EncodeBase64(const std::string& bytes) {
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    encoded.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (left > 1) group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (left > 2) group |= static_cast<unsigned char>(bytes[i + 2]);
        encoded += alphabet[group >> 18 & 0x3F];
        encoded += alphabet[group >> 12 & 0x3F];
        encoded += left > 1 ? alphabet[group >> 6 & 0x3F] : '=';
        encoded += left > 2 ? alphabet[group & 0x3F] : '=';
    }
    return encoded;
}

} // namespace qv::http
