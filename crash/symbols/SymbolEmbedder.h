#pragma once

#include <string>

namespace qv::crash {

// Puts a packed symbol package into a module file as its ".zor.except" section, replacing one
// that is there. The section is not loaded into memory; the symbol loader reads it from the file.
class TSymbolEmbedder {
public:
    // False with a message in error when the file could not be changed.
    static bool Embed(const std::string& binary, const std::string& package, std::string& error);
};

} // namespace qv::crash
