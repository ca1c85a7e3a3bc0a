#include "crash/symbols/ElfFile.h"

#include "crash/symbols/SymbolName.h"

#include <algorithm>
#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <unistd.h>

namespace qv::crash {

TElfFile::TElfFile(const std::string& path) {
    elf_version(EV_CURRENT);
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    elf_ = elf_begin(fd_, ELF_C_READ_MMAP, nullptr);
    if (elf_ != nullptr && elf_kind(elf_) != ELF_K_ELF) {
        elf_end(elf_);
        elf_ = nullptr;
    }
}

TElfFile::~TElfFile() {
    if (elf_ != nullptr) elf_end(elf_);
    if (fd_ >= 0) ::close(fd_);
}

uint64_t TElfFile::EntryPoint() const {
    GElf_Ehdr header;
    if (elf_ == nullptr || gelf_getehdr(elf_, &header) == nullptr) return 0;
    return header.e_entry;
}

std::vector<TElfRange> TElfFile::CodeRanges() const {
    std::vector<TElfRange> ranges;
    size_t count = 0;
    if (elf_ == nullptr || elf_getphdrnum(elf_, &count) != 0) return ranges;
    for (size_t i = 0; i < count; ++i) {
        GElf_Phdr header;
        if (gelf_getphdr(elf_, static_cast<int>(i), &header) == nullptr) continue;
        if (header.p_type == PT_LOAD && (header.p_flags & PF_X) != 0)
            ranges.push_back({header.p_vaddr, header.p_vaddr + header.p_memsz});
    }
    return ranges;
}

std::optional<uint64_t> TElfFile::CodeStart() const {
    const auto ranges = CodeRanges();
    if (ranges.empty()) return std::nullopt;
    return std::min_element(ranges.begin(), ranges.end(), [](auto& a, auto& b) { return a.start < b.start; })
        ->start;
}

std::optional<std::string> TElfFile::SectionData(const std::string& name, size_t maxSize) const {
    size_t namesIndex = 0;
    if (elf_ == nullptr || elf_getshdrstrndx(elf_, &namesIndex) != 0) return std::nullopt;
    for (Elf_Scn* section = elf_nextscn(elf_, nullptr); section != nullptr;
         section = elf_nextscn(elf_, section)) {
        GElf_Shdr header;
        if (gelf_getshdr(section, &header) == nullptr || header.sh_type == SHT_NOBITS) continue;
        const char* sectionName = elf_strptr(elf_, namesIndex, header.sh_name);
        if (sectionName == nullptr || name != sectionName) continue;
        if (header.sh_size > maxSize) return std::nullopt;
        Elf_Data* data = elf_getdata(section, nullptr);
        if (data == nullptr || data->d_buf == nullptr) return std::nullopt;
        return std::string(static_cast<const char*>(data->d_buf), data->d_size);
    }
    return std::nullopt;
}

std::vector<TElfSymbol> TElfFile::DynamicFunctions() const {
    std::vector<TElfSymbol> symbols;
    if (elf_ == nullptr) return symbols;
    for (Elf_Scn* section = elf_nextscn(elf_, nullptr); section != nullptr;
         section = elf_nextscn(elf_, section)) {
        GElf_Shdr header;
        if (gelf_getshdr(section, &header) == nullptr || header.sh_type != SHT_DYNSYM ||
            header.sh_entsize == 0)
            continue;
        Elf_Data* data = elf_getdata(section, nullptr);
        if (data == nullptr) continue;
        const size_t count = header.sh_size / header.sh_entsize;
        for (size_t i = 0; i < count; ++i) {
            GElf_Sym symbol;
            if (gelf_getsym(data, static_cast<int>(i), &symbol) == nullptr) break;
            const int type = GELF_ST_TYPE(symbol.st_info);
            if ((type != STT_FUNC && type != STT_GNU_IFUNC) || symbol.st_shndx == SHN_UNDEF ||
                symbol.st_value == 0)
                continue;
            const char* name = elf_strptr(elf_, header.sh_link, symbol.st_name);
            if (name != nullptr && *name != '\0')
                symbols.push_back({FunctionNameFromLinkage(name), symbol.st_value});
        }
    }
    return symbols;
}

} // namespace qv::crash
