#include "crash/symbols/DwarfReader.h"

#include "crash/symbols/DwarfUnitReader.h"
#include "crash/symbols/ElfFile.h"
#include "crash/symbols/InflatedElfImage.h"

#include <algorithm>
#include <elfutils/libdwelf.h>
#include <unistd.h>

namespace qv::crash {

namespace {

std::string Directory(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), R_OK) == 0;
}

// The separate debug file of a stripped module, by build id first, then by its debug link.
std::string SeparateDebugFile(const std::string& path, Elf* elf) {
    const void* id = nullptr;
    const ssize_t idLength = dwelf_elf_gnu_build_id(elf, &id);
    if (idLength > 1) {
        static constexpr char kHex[] = "0123456789abcdef";
        const auto* bytes = static_cast<const uint8_t*>(id);
        std::string name = "/usr/lib/debug/.build-id/";
        for (ssize_t i = 0; i < idLength; ++i) {
            name += kHex[bytes[i] >> 4];
            name += kHex[bytes[i] & 15];
            if (i == 0) name += '/';
        }
        name += ".debug";
        if (Exists(name)) return name;
    }
    GElf_Word crc = 0;
    const char* link = dwelf_elf_gnu_debuglink(elf, &crc);
    if (link == nullptr || std::string(link).find('/') != std::string::npos) return {};
    const std::string directory = Directory(path);
    for (const std::string& candidate :
         {directory + "/" + link, directory + "/.debug/" + link, "/usr/lib/debug" + directory + "/" + link})
        if (candidate != path && Exists(candidate)) return candidate;
    return {};
}

bool HasUnits(Dwarf* dwarf) {
    Dwarf_CU* unit = nullptr;
    return dwarf != nullptr &&
           dwarf_get_units(dwarf, nullptr, &unit, nullptr, nullptr, nullptr, nullptr) == 0;
}

// Calls visit with the top DIE of every unit.
template <typename Visit>
void ForEachUnit(Dwarf* dwarf, Visit visit) {
    Dwarf_CU* unit = nullptr;
    Dwarf_Die unitDie;
    while (dwarf_get_units(dwarf, unit, &unit, nullptr, nullptr, &unitDie, nullptr) == 0)
        visit(unitDie);
}

} // namespace

TDwarfReader::TDwarfReader(std::unique_ptr<TElfFile> file, uintptr_t bias)
    : bias_(bias), file_(std::move(file)),
      reader_(std::make_unique<TDwarfUnitReader>(bias, file_->CodeRanges())) {}

TDwarfReader::~TDwarfReader() {
    if (dwarf_ != nullptr) dwarf_end(dwarf_);
}

std::unique_ptr<TDwarfReader> TDwarfReader::Open(const std::string& path, uintptr_t bias) {
    auto file = std::make_unique<TElfFile>(path);
    if (!file->IsOpen()) return nullptr;
    std::unique_ptr<TDwarfReader> reader(new TDwarfReader(std::move(file), bias));
    if (!reader->Begin(path)) return nullptr;
    reader->IndexUnits();
    if (reader->ranges_.empty()) return nullptr;
    return reader;
}

bool TDwarfReader::Read(const std::string& path, uintptr_t bias, TMapFile& map) {
    map.Clear();
    const std::unique_ptr<TDwarfReader> reader = Open(path, bias);
    if (!reader) return false;
    ForEachUnit(reader->dwarf_, [&](Dwarf_Die& unit) { reader->reader_->Read(unit, map); });
    if (map.publics.empty() && map.lines.empty()) {
        map.Clear();
        return false;
    }
    map.Sort();
    map.entryPoint = bias + reader->file_->EntryPoint();
    map.sourceFile = path;
    return true;
}

bool TDwarfReader::Begin(const std::string& path) {
    if (BeginOn(*file_)) return true;
    const std::string debugPath = SeparateDebugFile(path, file_->Handle());
    if (debugPath.empty()) return false;
    debugFile_ = std::make_unique<TElfFile>(debugPath);
    return debugFile_->IsOpen() && BeginOn(*debugFile_);
}

bool TDwarfReader::BeginOn(const TElfFile& file) {
    image_ = TInflatedElfImage::Inflate(file);
    dwarf_ = dwarf_begin_elf(image_ ? image_->Handle() : file.Handle(), DWARF_C_READ, nullptr);
    if (HasUnits(dwarf_)) return true;
    if (dwarf_ != nullptr) dwarf_end(dwarf_);
    dwarf_ = nullptr;
    image_.reset();
    return false;
}

void TDwarfReader::IndexUnits() {
    ForEachUnit(dwarf_, [&](Dwarf_Die& unit) {
        for (const TElfRange& range : reader_->CodeRanges(unit))
            ranges_.push_back({bias_ + range.start, bias_ + range.end, dwarf_dieoffset(&unit)});
    });
    std::stable_sort(ranges_.begin(), ranges_.end(),
                     [](const TUnitRange& a, const TUnitRange& b) { return a.start < b.start; });
}

const TMapFile& TDwarfReader::Unit(uint64_t offset) {
    std::unique_ptr<TMapFile>& table = units_[offset];
    if (!table) {
        table = std::make_unique<TMapFile>();
        Dwarf_Die unit;
        if (dwarf_offdie(dwarf_, offset, &unit) != nullptr) reader_->Read(unit, *table);
        table->Sort();
        table->valid = true;
    }
    return *table;
}

// Like a look-up of the segment table: the last range starting at or below the address.
std::vector<TDwarfReader::TUnitRange>::const_iterator TDwarfReader::RangeAt(uintptr_t address) const {
    const auto above = std::upper_bound(ranges_.begin(), ranges_.end(), address,
                                        [](uintptr_t a, const TUnitRange& r) { return a < r.start; });
    return above == ranges_.begin() ? ranges_.end() : above - 1;
}

const TMapFile* TDwarfReader::UnitAt(uintptr_t address) {
    const auto range = RangeAt(address);
    return range != ranges_.end() && address < range->end ? &Unit(range->unit) : nullptr;
}

uintptr_t TDwarfReader::NextPublicAfter(uintptr_t address) {
    // A unit's functions lie in its own ranges; the first range above the address that holds one
    // of its unit's functions holds the answer.
    auto range = RangeAt(address);
    if (range == ranges_.end()) range = ranges_.begin();
    for (; range != ranges_.end(); ++range) {
        if (address >= range->end - 1) continue;
        const uintptr_t from = range->start > address ? range->start - 1 : address;
        const uintptr_t next = Unit(range->unit).NextPublicAfter(from);
        if (next != 0 && next < range->end) return next;
    }
    return 0;
}

} // namespace qv::crash
