#include "crash/symbols/SymbolCipher.h"

namespace qv::crash {

namespace {
constexpr char kWord[] = {'Q', 'U', 'O', 'R', 'V', 'A'};
constexpr size_t kWordLength = sizeof kWord;
} // namespace

void TSymbolCipher::Apply(uint8_t* data, size_t size) {
    auto state = static_cast<uint32_t>(size);
    for (char letter : kWord)
        state = state * 31u + static_cast<uint8_t>(letter);
    for (size_t i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        data[i] ^= static_cast<uint8_t>((state >> 24) ^ static_cast<uint8_t>(kWord[i % kWordLength]));
    }
}

} // namespace qv::crash
