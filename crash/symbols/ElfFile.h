#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct Elf;

namespace qv::crash {

struct TElfSymbol {
    std::string name;
    uint64_t address = 0;
};

struct TElfRange {
    uint64_t start = 0;
    uint64_t end = 0;
};

// Read access to an ELF file on disk: its program headers, named sections and dynamic symbols.
// Addresses are the file's own virtual addresses; add the module's load bias for run-time ones.
class TElfFile {
public:
    explicit TElfFile(const std::string& path);
    ~TElfFile();
    TElfFile(const TElfFile&) = delete;
    TElfFile& operator=(const TElfFile&) = delete;

    bool IsOpen() const { return elf_ != nullptr; }
    Elf* Handle() const { return elf_; }
    uint64_t EntryPoint() const;
    // The executable loadable segments; CodeStart() is the lowest of their addresses.
    std::vector<TElfRange> CodeRanges() const;
    std::optional<uint64_t> CodeStart() const;
    // The content of a section, or nothing when it is missing, has no data or exceeds maxSize.
    std::optional<std::string> SectionData(const std::string& name, size_t maxSize) const;
    // Defined functions of the dynamic symbol table, demangled and without parameter lists.
    std::vector<TElfSymbol> DynamicFunctions() const;

private:
    int fd_ = -1;
    Elf* elf_ = nullptr;
};

} // namespace qv::crash
