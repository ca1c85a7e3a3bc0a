#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::crash {

enum class TMfKind : uint8_t { Code, Data };

struct TMfSegment {
    bool valid = true;
    TMfKind kind = TMfKind::Code;
    uintptr_t start = 0;
    uint32_t size = 0;
    std::string unitName;
};

struct TMfPublic {
    bool valid = true;
    TMfKind kind = TMfKind::Code;
    std::string name;
    uintptr_t address = 0;
};

struct TMfLine {
    int32_t line = 0;
    uintptr_t address = 0;
};

// The symbol table of one module. Addresses are absolute (as loaded in this process); the tables
// are filled by one of the symbol sources and then put in order with Sort() before any look-up.
class TMapFile {
public:
    bool valid = false;
    uintptr_t moduleBase = 0;
    uintptr_t codeStart = 0;
    std::string sourceFile;
    uintptr_t entryPoint = 0;
    std::vector<TMfSegment> segments;
    std::vector<TMfPublic> publics;
    std::vector<TMfLine> lines;

    // Orders the three tables by address; entries with equal addresses keep their order.
    void Sort();
    // Empties the tables and clears the valid flag, leaving the module addresses.
    void Clear();

    // The segment of the given kind containing the address; segments of one kind do not overlap.
    const TMfSegment* SegmentAt(uintptr_t address, TMfKind kind = TMfKind::Code) const;
    // The public of the given kind with the greatest address not above the address.
    const TMfPublic* PublicAt(uintptr_t address, TMfKind kind = TMfKind::Code) const;
    const TMfPublic* PublicExactlyAt(uintptr_t address) const;
    // The address of the first code public above the address, or 0.
    uintptr_t NextPublicAfter(uintptr_t address) const;
    const TMfLine* LineAt(uintptr_t address) const;
};

} // namespace qv::crash
