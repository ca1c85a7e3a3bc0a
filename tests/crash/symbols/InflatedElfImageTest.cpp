#include "crash/symbols/InflatedElfImage.h"
#include "crash/symbols/ElfFile.h"

#include "tests/support/ScopedTempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gelf.h>
#include <libelf.h>
#include <map>
#include <sstream>
#include <unistd.h>

namespace qv::crash::test {

namespace {

struct TSection {
    std::string name;
    std::string data;
    bool compressed = false;
};

// A relocatable x86-64 ELF file with the sections, the compressed ones compressed by libelf.
void WriteElf(const std::string& path, const std::vector<TSection>& sections) {
    elf_version(EV_CURRENT);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    Elf* elf = elf_begin(fd, ELF_C_WRITE, nullptr);
    Elf64_Ehdr* header = elf64_newehdr(elf);
    header->e_ident[EI_DATA] = ELFDATA2LSB;
    header->e_type = ET_REL;
    header->e_machine = EM_X86_64;
    header->e_version = EV_CURRENT;
    std::string names(1, '\0');
    // The data is used in place until the file is written.
    const auto add = [&](const std::string& name, const std::string& bytes, Elf64_Word type) {
        Elf_Scn* section = elf_newscn(elf);
        Elf_Data* data = elf_newdata(section);
        data->d_buf = const_cast<char*>(bytes.data());
        data->d_size = bytes.size();
        data->d_type = ELF_T_BYTE;
        data->d_align = 1;
        Elf64_Shdr* sectionHeader = elf64_getshdr(section);
        sectionHeader->sh_name = static_cast<Elf64_Word>(names.find(name + '\0'));
        sectionHeader->sh_type = type;
        return section;
    };
    for (const TSection& section : sections)
        names += section.name + '\0';
    names += ".shstrtab";
    names += '\0';
    for (const TSection& section : sections) {
        Elf_Scn* added = add(section.name, section.data, SHT_PROGBITS);
        // Forced, since a short section would not come out smaller.
        if (section.compressed) {
            ASSERT_EQ(elf_compress(added, ELFCOMPRESS_ZLIB, ELF_CHF_FORCE), 1) << elf_errmsg(-1);
        }
    }
    header->e_shstrndx = static_cast<Elf64_Half>(elf_ndxscn(add(".shstrtab", names, SHT_STRTAB)));
    ASSERT_GT(elf_update(elf, ELF_C_WRITE), 0) << elf_errmsg(-1);
    elf_end(elf);
    ::close(fd);
}

// The name, data and compressed flag of every section of the ELF file.
std::map<std::string, std::pair<std::string, bool>> SectionsOf(Elf* elf) {
    std::map<std::string, std::pair<std::string, bool>> found;
    size_t namesIndex = 0;
    elf_getshdrstrndx(elf, &namesIndex);
    for (Elf_Scn* section = elf_nextscn(elf, nullptr); section != nullptr;
         section = elf_nextscn(elf, section)) {
        GElf_Shdr header;
        gelf_getshdr(section, &header);
        const Elf_Data* data = elf_getdata(section, nullptr);
        found[elf_strptr(elf, namesIndex, header.sh_name)] = {
            std::string(static_cast<const char*>(data->d_buf), data->d_size),
            (header.sh_flags & SHF_COMPRESSED) != 0};
    }
    return found;
}

class InflatedElfImage : public ::testing::Test {
protected:
    void SetUp() override {
        std::ostringstream info;
        for (int i = 0; i < 5000; ++i)
            info << "unit " << i % 97 << " line " << i << '\n';
        sections_ = {{".debug_info", info.str(), true},
                     {".debug_str", std::string("names\0more", 10), true},
                     {".comment", "kept as it is", false}};
        WriteElf(Path("compressed"), sections_);
    }
    std::string Path(const std::string& name) const { return dir_ / name; }

    const qv::test::ScopedTempFolder dir_{"qv-inflate"};
    std::vector<TSection> sections_;
};

} // namespace

TEST_F(InflatedElfImage, HoldsEachCompressedSectionInflatedAndMarkedPlain) {
    const TElfFile file(Path("compressed"));
    ASSERT_EQ(SectionsOf(file.Handle())[".debug_info"].second, true) << "the file is compressed";
    const auto image = TInflatedElfImage::Inflate(file);
    ASSERT_NE(image, nullptr);
    auto found = SectionsOf(image->Handle());
    for (const TSection& section : sections_) {
        EXPECT_EQ(found[section.name].first, section.data) << section.name;
        EXPECT_FALSE(found[section.name].second) << section.name;
    }

    WriteElf(Path("plain"), {{".debug_info", "nothing to inflate", false}});
    EXPECT_EQ(TInflatedElfImage::Inflate(TElfFile(Path("plain"))), nullptr);
}

TEST_F(InflatedElfImage, LeavesDamagedAndOversizedSectionsToLibdw) {
    const std::string original = qv::test::ReadFile(Path("compressed"));
    GElf_Shdr info{};
    size_t infoIndex = 0;
    {
        const TElfFile file(Path("compressed"));
        size_t namesIndex = 0;
        elf_getshdrstrndx(file.Handle(), &namesIndex);
        for (Elf_Scn* section = elf_nextscn(file.Handle(), nullptr); section != nullptr;
             section = elf_nextscn(file.Handle(), section))
            if (gelf_getshdr(section, &info) != nullptr &&
                std::strcmp(elf_strptr(file.Handle(), namesIndex, info.sh_name), ".debug_info") == 0) {
                infoIndex = elf_ndxscn(section);
                break;
            }
    }
    ASSERT_NE(infoIndex, 0u);
    Elf64_Ehdr elfHeader;
    std::memcpy(&elfHeader, original.data(), sizeof elfHeader);
    const size_t chdr = info.sh_offset;
    const size_t shdr = elfHeader.e_shoff + infoIndex * sizeof(Elf64_Shdr);
    const auto setWord = [](std::string& bytes, size_t at, uint64_t value) {
        std::memcpy(bytes.data() + at, &value, sizeof value);
    };
    const std::pair<const char*, std::function<void(std::string&)>> damages[] = {
        {"a damaged stream", [&](std::string& b) { b[chdr + sizeof(Elf64_Chdr) + 40] ^= 0x5A; }},
        {"a size beyond the limit", [&](std::string& b) { setWord(b, chdr + 8, uint64_t(1) << 60); }},
        {"a size the stream does not fill",
         [&](std::string& b) { setWord(b, chdr + 8, sections_[0].data.size() + 1); }},
        {"a section past the end of the file",
         [&](std::string& b) { setWord(b, shdr + offsetof(Elf64_Shdr, sh_size), b.size()); }}};
    for (const auto& [what, damage] : damages) {
        std::string bytes = original;
        damage(bytes);
        std::ofstream(Path("damaged"), std::ios::binary | std::ios::trunc) << bytes;
        EXPECT_EQ(TInflatedElfImage::Inflate(TElfFile(Path("damaged"))), nullptr) << what;
    }
}

} // namespace qv::crash::test
