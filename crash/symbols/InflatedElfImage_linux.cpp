#include "crash/symbols/InflatedElfImage.h"

#include "crash/symbols/ElfFile.h"

#include <cstring>
#include <gelf.h>
#include <libdeflate.h>
#include <libelf.h>
#include <new>
#include <vector>

namespace qv::crash {

namespace {

// Inflated sections start on this boundary in the image.
constexpr size_t kSlotAlignment = 16;

size_t Aligned(size_t size) {
    return (size + kSlotAlignment - 1) / kSlotAlignment * kSlotAlignment;
}

struct TCompressedSection {
    size_t index = 0;
    const char* data = nullptr;
    size_t size = 0;
    Elf64_Chdr header{};
    size_t slot = 0;
};

bool NativeElf64(Elf* elf) {
    const char* ident = elf_getident(elf, nullptr);
    return ident != nullptr && ident[EI_CLASS] == ELFCLASS64 && ident[EI_DATA] == ELFDATA2LSB;
}

// The compressed sections with their headers; false when the file is one to leave to libdw.
bool FindCompressed(Elf* elf, const char* file, size_t fileSize, std::vector<TCompressedSection>& found) {
    size_t namesIndex = 0;
    if (elf_getshdrstrndx(elf, &namesIndex) != 0) return false;
    for (Elf_Scn* section = elf_nextscn(elf, nullptr); section != nullptr;
         section = elf_nextscn(elf, section)) {
        GElf_Shdr header;
        if (gelf_getshdr(section, &header) == nullptr) return false;
        const char* name = elf_strptr(elf, namesIndex, header.sh_name);
        // Supplementary files are found next to the file, which a copy in memory has not.
        if (name != nullptr && std::strcmp(name, ".gnu_debugaltlink") == 0) return false;
        if ((header.sh_flags & SHF_COMPRESSED) == 0 || header.sh_type == SHT_NOBITS) continue;
        if (header.sh_offset > fileSize || header.sh_size > fileSize - header.sh_offset ||
            header.sh_size < sizeof(Elf64_Chdr))
            return false;
        TCompressedSection compressed;
        compressed.index = elf_ndxscn(section);
        std::memcpy(&compressed.header, file + header.sh_offset, sizeof compressed.header);
        if (compressed.header.ch_type != ELFCOMPRESS_ZLIB) return false;
        compressed.data = file + header.sh_offset + sizeof(Elf64_Chdr);
        compressed.size = header.sh_size - sizeof(Elf64_Chdr);
        found.push_back(compressed);
    }
    return !found.empty();
}

// Inflates the section into its slot of the image and points its header there, marked plain.
bool InflateSection(libdeflate_decompressor* decompressor, const TCompressedSection& section, char* image,
                    size_t headerTable) {
    size_t actual = 0;
    if (libdeflate_zlib_decompress(decompressor, section.data, section.size, image + section.slot,
                                   section.header.ch_size, &actual) != LIBDEFLATE_SUCCESS ||
        actual != section.header.ch_size)
        return false;
    char* entry = image + headerTable + section.index * sizeof(Elf64_Shdr);
    Elf64_Shdr plain;
    std::memcpy(&plain, entry, sizeof plain);
    plain.sh_flags &= ~static_cast<Elf64_Xword>(SHF_COMPRESSED);
    plain.sh_offset = section.slot;
    plain.sh_size = section.header.ch_size;
    plain.sh_addralign = section.header.ch_addralign;
    std::memcpy(entry, &plain, sizeof plain);
    return true;
}

struct TDecompressorDeleter {
    void operator()(libdeflate_decompressor* decompressor) const {
        libdeflate_free_decompressor(decompressor);
    }
};

} // namespace

TInflatedElfImage::~TInflatedElfImage() {
    if (elf_ != nullptr) elf_end(elf_);
}

std::unique_ptr<TInflatedElfImage> TInflatedElfImage::Inflate(const TElfFile& source) {
    Elf* elf = source.Handle();
    size_t fileSize = 0;
    const char* file = elf != nullptr ? elf_rawfile(elf, &fileSize) : nullptr;
    GElf_Ehdr header;
    if (file == nullptr || !NativeElf64(elf) || gelf_getehdr(elf, &header) == nullptr ||
        header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shoff > fileSize)
        return nullptr;
    std::vector<TCompressedSection> sections;
    if (!FindCompressed(elf, file, fileSize, sections)) return nullptr;

    size_t imageSize = Aligned(fileSize);
    size_t inflatedSize = 0;
    for (TCompressedSection& section : sections) {
        if (section.header.ch_size > kMaxInflatedSize - inflatedSize) return nullptr;
        if ((fileSize - header.e_shoff) / sizeof(Elf64_Shdr) <= section.index) return nullptr;
        inflatedSize += section.header.ch_size;
        section.slot = imageSize;
        imageSize += Aligned(section.header.ch_size);
    }
    const std::unique_ptr<libdeflate_decompressor, TDecompressorDeleter> decompressor(
        libdeflate_alloc_decompressor());
    if (!decompressor) return nullptr;
    std::unique_ptr<TInflatedElfImage> inflated(new TInflatedElfImage);
    inflated->image_.reset(new (std::nothrow) char[imageSize]);
    char* image = inflated->image_.get();
    if (image == nullptr) return nullptr;
    std::memcpy(image, file, fileSize);
    for (const TCompressedSection& section : sections)
        if (!InflateSection(decompressor.get(), section, image, header.e_shoff)) return nullptr;
    inflated->elf_ = elf_memory(image, imageSize);
    if (inflated->elf_ == nullptr || elf_kind(inflated->elf_) != ELF_K_ELF) return nullptr;
    return inflated;
}

} // namespace qv::crash
