#pragma once

#include <cstdint>
#include <string>

namespace qv::bench {

// Writes eForms contract notices for the import benchmark, shaped and sized like published ones
// (organisations, tendering terms, one to four lots), from the generator's word material.
class NoticeXmlWriter {
public:
    explicit NoticeXmlWriter(uint64_t seed) : seed_(seed) {}

    // The notice numbered `index`: the same index gives the same notice.
    std::string Write(int index);

private:
    uint64_t seed_;
};

} // namespace qv::bench
