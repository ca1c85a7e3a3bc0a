#pragma once

#include <cstddef>
#include <memory>
#include <string>

struct Elf;

namespace qv::crash {

class TElfFile;

// An ELF file copied into memory with its compressed sections inflated and marked plain. libdw
// inflates every compressed DWARF section with zlib as it opens a file, which is most of the cost
// of a first look-up in a system library's separate debug file; libdeflate does it in a third of
// the time, and libdw then finds nothing left to inflate.
class TInflatedElfImage {
public:
    // The largest total of inflated sections taken on; a larger file is left to libdw.
    static constexpr size_t kMaxInflatedSize = 512u << 20;

    // Null when the file has no compressed sections, refers to a supplementary debug file, is not
    // a 64-bit little-endian ELF file, or its compressed data is damaged.
    static std::unique_ptr<TInflatedElfImage> Inflate(const TElfFile& file);
    ~TInflatedElfImage();
    TInflatedElfImage(const TInflatedElfImage&) = delete;
    TInflatedElfImage& operator=(const TInflatedElfImage&) = delete;

    Elf* Handle() const { return elf_; }

private:
    std::unique_ptr<char[]> image_;
    Elf* elf_ = nullptr;

    TInflatedElfImage() = default;
};

} // namespace qv::crash
