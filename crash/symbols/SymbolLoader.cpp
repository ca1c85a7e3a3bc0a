#include "crash/symbols/SymbolLoader.h"

#include "crash/symbols/DwarfReader.h"
#include "crash/symbols/ElfFile.h"
#include "crash/symbols/MapFileReader.h"
#include "crash/symbols/SymbolPackage.h"
#include "platform/CompanionFiles.h"

#include <filesystem>
#include <fstream>
#include <optional>

namespace qv::crash {

namespace {

std::optional<std::string> ReadSmallFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > TSymbolLoader::kMaxFileSize) return std::nullopt;
    file.seekg(0);
    std::string data(static_cast<size_t>(size), '\0');
    if (!file.read(data.data(), size)) return std::nullopt;
    return data;
}

bool FromSection(const TModuleInfo& module, TMapFile& map) {
    const auto data =
        TElfFile(module.path).SectionData(TSymbolLoader::kSectionName, TSymbolLoader::kMaxFileSize);
    return data && TSymbolPackage::Read(data->data(), data->size(), map);
}

bool FromMapFile(const std::string& path, TMapFile& map) {
    const auto text = ReadSmallFile(path);
    return text && TMapFileReader::Read(*text, map);
}

bool FromPackageFile(const std::string& path, TMapFile& map) {
    const auto data = ReadSmallFile(path);
    return data && TSymbolPackage::Read(data->data(), data->size(), map);
}

} // namespace

std::string TSymbolLoader::SiblingFile(const std::string& path, const std::string& extension) {
    const size_t nameStart = path.find_last_of('/') + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot <= nameStart) return path + extension;
    return path.substr(0, dot) + extension;
}

TModuleSymbols TSymbolLoader::Load(const TModuleInfo& module) {
    if (module.path.empty()) return {};
    TMapFile map;
    map.moduleBase = module.imageStart;
    map.codeStart = module.codeStart;
    std::string source = module.path;
    bool loaded = FromSection(module, map);
    if (!loaded) {
        if (auto dwarf = TDwarfReader::Open(module.path, module.bias))
            return TModuleSymbols(std::move(dwarf), module.path);
        source = SiblingFile(module.path, ".map");
        loaded = FromMapFile(source, map);
    }
    if (!loaded) {
        const std::string package = std::filesystem::path(SiblingFile(module.path, ".zor")).filename();
        source = platform::FindCompanionFile(module.path, package);
        loaded = !source.empty() && FromPackageFile(source, map);
    }
    if (!loaded) return {};
    map.valid = true;
    if (map.sourceFile.empty()) map.sourceFile = source;
    return TModuleSymbols(std::move(map));
}

} // namespace qv::crash
