#include "crash/symbols/DwarfPackager.h"
#include "crash/symbols/ElfFile.h"
#include "crash/symbols/ExportTable.h"
#include "crash/symbols/MapFileCache.h"
#include "crash/symbols/MapFileReader.h"
#include "crash/symbols/ModuleCache.h"
#include "crash/symbols/SymbolEmbedder.h"
#include "crash/symbols/SymbolLoader.h"
#include "crash/symbols/SymbolLookup.h"
#include "crash/symbols/SymbolPackage.h"

#include "tests/support/ScopedTempFolder.h"
#include "tests/support/crash/TestMapText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <unistd.h>
#include <zlib.h>

namespace fs = std::filesystem;

namespace qv::crash::test {

namespace dwarf {

volatile uintptr_t gSink;

constexpr int kInnerLine = __LINE__ + 1;
__attribute__((noinline)) uintptr_t Inner() {
    gSink = gSink + 1;
    return reinterpret_cast<uintptr_t>(__builtin_return_address(0));
}

constexpr int kOuterCallLine = __LINE__ + 3;
__attribute__((noinline)) uintptr_t Outer() {
    gSink = gSink + 2;
    const uintptr_t returnAddress = Inner();
    gSink = returnAddress;
    return returnAddress;
}

// Two functions on one line: the first line entry of the one placed second repeats the line of
// the last entry of the other.
constexpr int kSameLine = __LINE__ + 2;
// clang-format off
__attribute__((noinline)) uintptr_t SameLineFirst() { gSink = gSink + 3; return gSink; } __attribute__((noinline)) uintptr_t SameLineSecond() { gSink = gSink + 4; return gSink; }
// clang-format on

} // namespace dwarf

namespace {

uintptr_t AddressOf(auto function) {
    return reinterpret_cast<uintptr_t>(function);
}

std::string ProgramFileName() {
    return fs::read_symlink("/proc/self/exe").filename().string();
}

// The public at or below the address in the table that the symbols give for it.
std::string PublicNameIn(TModuleSymbols& symbols, uintptr_t address) {
    const TMapFile* table = symbols.TableAt(address);
    const TMfPublic* found = table != nullptr ? table->PublicAt(address) : nullptr;
    return found != nullptr ? found->name : "";
}

TModuleInfo FakeModule(const std::string& path, uintptr_t codeStart) {
    TModuleInfo module;
    module.path = path;
    module.fileName = fs::path(path).filename().string();
    module.imageStart = module.codeStart = codeStart;
    module.imageEnd = module.codeEnd = codeStart + 0x10000;
    module.isProgram = true;
    return module;
}

} // namespace

TEST(ModuleCache, KnowsTheProgramAndItsLibraries) {
    const TModuleInfo* program = TModuleCache::Instance().FindModule(AddressOf(&dwarf::Outer));
    ASSERT_NE(program, nullptr);
    EXPECT_TRUE(program->isProgram);
    EXPECT_EQ(program->fileName, ProgramFileName());
    EXPECT_TRUE(program->ContainsCode(AddressOf(&dwarf::Outer)));
    EXPECT_FALSE(program->ContainsCode(AddressOf(&dwarf::gSink)));
    EXPECT_TRUE(program->ContainsImage(AddressOf(&dwarf::gSink)));

    const TModuleInfo* zlib = TModuleCache::Instance().FindModule(AddressOf(&crc32));
    ASSERT_NE(zlib, nullptr);
    EXPECT_FALSE(zlib->isProgram);
    EXPECT_EQ(zlib->fileName.rfind("libz.so", 0), 0u) << zlib->fileName;
    EXPECT_EQ(TModuleCache::Instance().FindModule(0x10), nullptr);
    EXPECT_FALSE(Locate(0x10).has_value());
}

TEST(DwarfSymbols, LocatesFunctionsAndLinesOfThisProgram) {
    const auto function = Locate(AddressOf(&dwarf::Inner));
    ASSERT_TRUE(function.has_value());
    EXPECT_EQ(function->moduleName, ProgramFileName());
    EXPECT_EQ(function->unitName, "DwarfSymbolsTest");
    EXPECT_EQ(function->functionName, "qv::crash::test::dwarf::Inner");
    EXPECT_EQ(function->functionStart, AddressOf(&dwarf::Inner));
    // Optimised code may open with a statement of the body rather than the function's own line.
    EXPECT_GE(function->line, dwarf::kInnerLine);
    EXPECT_LE(function->line, dwarf::kInnerLine + 2);

    // The byte before a return address belongs to the call, which sits on the caller's line.
    const uintptr_t returnAddress = dwarf::Outer();
    const auto caller = Locate(returnAddress - 1);
    ASSERT_TRUE(caller.has_value());
    EXPECT_EQ(caller->functionName, "qv::crash::test::dwarf::Outer");
    EXPECT_EQ(caller->functionStart, AddressOf(&dwarf::Outer));
    EXPECT_EQ(caller->line, dwarf::kOuterCallLine);

    EXPECT_EQ(PublicNameAt(AddressOf(&dwarf::Outer)), "qv::crash::test::dwarf::Outer");
    EXPECT_EQ(PublicNameAt(AddressOf(&dwarf::Outer) + 1), "");
}

TEST(DwarfSymbols, NamesTheLineOfAFunctionThatStartsOnTheLineOfTheOneBefore) {
    for (const auto& [function, name] : {std::pair{&dwarf::SameLineFirst, "SameLineFirst"},
                                         std::pair{&dwarf::SameLineSecond, "SameLineSecond"}}) {
        const auto location = Locate(AddressOf(function));
        ASSERT_TRUE(location.has_value());
        EXPECT_EQ(location->functionName, std::string("qv::crash::test::dwarf::") + name);
        EXPECT_EQ(location->line, dwarf::kSameLine) << name;
    }
}

TEST(DwarfSymbols, ReadsTheSeparateDebugFileOfTheCLibrary) {
    const auto location = Locate(AddressOf(&::getpid) + 1);
    ASSERT_TRUE(location.has_value());
    EXPECT_EQ(location->moduleName.rfind("libc.so", 0), 0u);
    if (location->unitName.empty()) GTEST_SKIP() << "no debug file for the C library here";
    EXPECT_GT(location->line, 0);
    EXPECT_NE(location->functionName.find("getpid"), std::string::npos) << location->functionName;
}

TEST(ExportTable, NamesTheNearestExportedFunctionBelowLikeTheLoader) {
    const TModuleInfo* zlib = TModuleCache::Instance().FindModule(AddressOf(&crc32));
    ASSERT_NE(zlib, nullptr);
    TExportTable exports;
    exports.Load(*zlib);
    for (const uintptr_t address :
         {AddressOf(&crc32) + 3, AddressOf(&inflate) + 40, AddressOf(&deflateEnd)}) {
        Dl_info info{};
        ASSERT_NE(dladdr(reinterpret_cast<void*>(address), &info), 0);
        const TMfPublic* found = exports.FunctionAt(address);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->address, reinterpret_cast<uintptr_t>(info.dli_saddr));
        EXPECT_EQ(found->name, info.dli_sname);
    }
    EXPECT_EQ(exports.FunctionExactlyAt(AddressOf(&crc32))->name, "crc32");
    EXPECT_EQ(exports.FunctionExactlyAt(AddressOf(&crc32) + 1), nullptr);
}

TEST(SymbolLoader, TakesTheSourcesInTheirOrder) {
    const qv::test::ScopedTempFolder dir("qv-crash");
    const uintptr_t code = 0x500000;
    const std::string program = dir / "fakeprog";
    const TModuleInfo module = FakeModule(program, code);
    EXPECT_FALSE(TSymbolLoader::Load(module).Valid()) << "no source at all";
    const TLocation bare = LocateInModule(FakeModule(dir / "bare", code), code + 0x140);
    EXPECT_EQ(bare.moduleName, "bare");
    EXPECT_EQ(bare.functionName, "") << "the program has no exports to fall back on";

    TMapFile packed;
    packed.codeStart = code;
    packed.publics.push_back({true, TMfKind::Code, "FromPackage", code + 0x100});
    dir.Write("fakeprog.zor", TSymbolPackage::Write(packed));
    TModuleSymbols symbols = TSymbolLoader::Load(module);
    ASSERT_TRUE(symbols.Valid());
    EXPECT_EQ(symbols.SourceFile(), dir / "fakeprog.zor");
    EXPECT_EQ(PublicNameIn(symbols, code + 0x140), "FromPackage");

    dir.Write("fakeprog.map", qv::crash::test::SampleMapText());
    symbols = TSymbolLoader::Load(module);
    ASSERT_TRUE(symbols.Valid());
    EXPECT_EQ(symbols.SourceFile(), dir / "fakeprog.map");
    EXPECT_EQ(PublicNameIn(symbols, code + 0x140), "TForm1.Button1Click");

    const TLocation location = LocateInModule(module, code + 0x152);
    EXPECT_EQ(location.moduleName, "fakeprog");
    EXPECT_EQ(location.unitName, "Unit1");
    EXPECT_EQ(location.line, 31);
    EXPECT_EQ(location.functionStart, code + 0x140);
    EXPECT_EQ(location.functionName, "TForm1.Button1Click");

    const TLocation outside = LocateInModule(module, code + 0x400);
    EXPECT_EQ(outside.unitName, "");
    EXPECT_EQ(outside.functionName, "") << "code outside every unit is not named after the last public";
    EXPECT_EQ(outside.line, 0);
}

TEST(SymbolLoader, FindsThePackageOfAnInstalledProgramInItsPrivateFolder) {
    const qv::test::ScopedTempFolder dir("qv-crash");
    fs::create_directories(dir / "bin");
    const uintptr_t code = 0x500000;
    TMapFile packed;
    packed.codeStart = code;
    packed.publics.push_back({true, TMfKind::Code, "Installed", code + 0x100});
    dir.Write("lib/quorvane/fakeprog.zor", TSymbolPackage::Write(packed));

    TModuleSymbols symbols = TSymbolLoader::Load(FakeModule(dir / "bin/fakeprog", code));
    ASSERT_TRUE(symbols.Valid());
    EXPECT_EQ(symbols.SourceFile(), dir / "lib/quorvane/fakeprog.zor");
    EXPECT_EQ(PublicNameIn(symbols, code + 0x140), "Installed");
}

TEST(SymbolLoader, PrefersThePackageEmbeddedInTheModuleOverItsDwarf) {
    const qv::test::ScopedTempFolder dir("qv-crash");
    const std::string copy = dir / "embedded";
    fs::copy_file("/proc/self/exe", copy);
    const TModuleInfo* self = TModuleCache::Instance().FindModule(AddressOf(&dwarf::Outer));
    ASSERT_NE(self, nullptr);
    TModuleInfo module = *self;
    module.path = copy;

    TModuleSymbols symbols = TSymbolLoader::Load(module);
    EXPECT_EQ(PublicNameIn(symbols, AddressOf(&dwarf::Outer)), "qv::crash::test::dwarf::Outer");

    TMapFile packed;
    packed.codeStart = module.codeStart;
    packed.publics.push_back({true, TMfKind::Code, "Embedded", AddressOf(&dwarf::Outer)});
    std::string error;
    ASSERT_TRUE(TSymbolEmbedder::Embed(copy, TSymbolPackage::Write(packed), error)) << error;
    symbols = TSymbolLoader::Load(module);
    EXPECT_EQ(PublicNameIn(symbols, AddressOf(&dwarf::Outer) + 4), "Embedded");

    packed.publics[0].name = "Replaced";
    ASSERT_TRUE(TSymbolEmbedder::Embed(copy, TSymbolPackage::Write(packed), error)) << error;
    symbols = TSymbolLoader::Load(module);
    EXPECT_EQ(PublicNameIn(symbols, AddressOf(&dwarf::Outer)), "Replaced");
}

TEST(SymbolLoader, NamesSiblingFiles) {
    EXPECT_EQ(TSymbolLoader::SiblingFile("/opt/q/quorvane", ".map"), "/opt/q/quorvane.map");
    EXPECT_EQ(TSymbolLoader::SiblingFile("/opt/q.d/quorvane", ".zor"), "/opt/q.d/quorvane.zor");
    EXPECT_EQ(TSymbolLoader::SiblingFile("/lib/libz.so.1", ".map"), "/lib/libz.so.map");
    EXPECT_EQ(TSymbolLoader::SiblingFile("/opt/.hidden", ".map"), "/opt/.hidden.map");
}

TEST(DwarfPackager, PackageOfTheProgramFileAgreesWithItsLoadedSymbols) {
    const TModuleInfo* self = TModuleCache::Instance().FindModule(AddressOf(&dwarf::Outer));
    ASSERT_NE(self, nullptr);
    TMapFile table;
    std::string error;
    const auto package = TDwarfPackager::Package(self->path, table, error);
    ASSERT_TRUE(package.has_value()) << error;

    TMapFile unpacked;
    unpacked.codeStart = self->codeStart;
    ASSERT_TRUE(TSymbolPackage::Read(package->data(), package->size(), unpacked));
    EXPECT_EQ(unpacked.entryPoint, self->bias + TElfFile(self->path).EntryPoint());
    // The package holds every unit in one table; the loaded symbols read a unit at a time.
    TMapFileCache& cache = TMapFileCache::Instance();
    ASSERT_TRUE(cache.HasSymbols(*self));
    for (uintptr_t address = self->codeStart; address < self->codeEnd; address += 61) {
        const TLocation expected = LocateInModule(*self, address);
        const TLocation found = LocateInTable(unpacked, address);
        ASSERT_EQ(found.unitName, expected.unitName.substr(0, 255)) << std::hex << address;
        ASSERT_EQ(found.functionStart, expected.functionStart) << std::hex << address;
        ASSERT_EQ(found.functionName, expected.functionName.substr(0, 255)) << std::hex << address;
        ASSERT_EQ(found.line, expected.line) << std::hex << address;
        ASSERT_EQ(unpacked.NextPublicAfter(address), cache.NextPublicAfter(*self, address))
            << std::hex << address;
    }

    TMapFile none;
    EXPECT_FALSE(TDwarfPackager::Package("/proc/self/status", none, error).has_value());
}

} // namespace qv::crash::test
