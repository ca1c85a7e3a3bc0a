#include "crash/symbols/ModuleCache.h"
#include "crash/symbols/SymbolLoader.h"

#include "tests/support/ScopedTempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace qv::crash::test {

namespace {

__attribute__((noinline)) int Marker() {
    static volatile int counter;
    counter = counter + 1;
    return counter;
}

struct TRun {
    int status = -1;
    std::string output;
};

// `shell` goes first on the command line: a change of folder or of the environment.
TRun RunTool(const std::string& arguments, const std::string& shell = "") {
    TRun run;
    FILE* pipe = ::popen((shell + std::string(QV_SYMBOLS_TOOL) + " " + arguments + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        run.output += buffer;
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class SymbolsTool : public ::testing::Test {
protected:
    void SetUp() override { fs::copy_file("/proc/self/exe", copy_); }

    // The running program's module, but read from the copy the tool worked on.
    TModuleInfo CopiedModule() const {
        TModuleInfo module = *TModuleCache::Instance().FindModule(reinterpret_cast<uintptr_t>(&Marker));
        module.path = copy_;
        return module;
    }

    const qv::test::ScopedTempFolder dir_{"qv-symbols"};
    const std::string copy_ = dir_ / "program";
};

} // namespace

TEST_F(SymbolsTool, WritesAPackageThatNamesTheRunningProgram) {
    const TRun run = RunTool(copy_);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find(" functions, "), std::string::npos);
    ASSERT_TRUE(fs::exists(copy_ + ".zor"));

    // Without its debug information the copy can only be named through the package file.
    ASSERT_EQ(std::system(("objcopy --strip-debug " + copy_).c_str()), 0);
    TModuleSymbols symbols = TSymbolLoader::Load(CopiedModule());
    ASSERT_TRUE(symbols.Valid());
    EXPECT_EQ(symbols.SourceFile(), copy_ + ".zor");
    const uintptr_t inMarker = reinterpret_cast<uintptr_t>(&Marker) + 1;
    const TMfPublic* found = symbols.TableAt(inMarker)->PublicAt(inMarker);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->name, "qv::crash::test::(anonymous namespace)::Marker");
    EXPECT_EQ(found->address, reinterpret_cast<uintptr_t>(&Marker));
}

TEST_F(SymbolsTool, EmbedsThePackageAndWritesTheNamedFile) {
    const std::string out = dir_ / "named.zor";
    // A trap program in the current folder, which an empty PATH entry names, and a link beside
    // the binary at a name the tool could take for its scratch file.
    dir_.Write("objcopy", "#!/bin/sh\ntouch trapped\n");
    fs::permissions(dir_ / "objcopy", fs::perms::owner_all);
    dir_.Write("victim", "precious");
    fs::create_symlink(dir_ / "victim", copy_ + ".zor-section");
    const TRun run = RunTool(copy_ + " -o " + out + " --embed", "cd " + dir_.Path() + " && PATH=:$PATH ");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_FALSE(fs::exists(dir_ / "trapped"));
    EXPECT_TRUE(qv::test::ReadFile(dir_ / "victim") == "precious");
    EXPECT_TRUE(fs::exists(out));
    EXPECT_FALSE(fs::exists(copy_ + ".zor"));
    ASSERT_EQ(std::system(("objcopy --strip-debug " + copy_).c_str()), 0);
    TModuleSymbols symbols = TSymbolLoader::Load(CopiedModule());
    ASSERT_TRUE(symbols.Valid());
    EXPECT_EQ(symbols.SourceFile(), copy_);
    const auto marker = reinterpret_cast<uintptr_t>(&Marker);
    EXPECT_EQ(symbols.TableAt(marker)->PublicExactlyAt(marker)->name,
              "qv::crash::test::(anonymous namespace)::Marker");
}

TEST_F(SymbolsTool, RefusesBadArgumentsAndFilesWithoutSymbols) {
    EXPECT_EQ(RunTool("").status, 2);
    EXPECT_EQ(RunTool(copy_ + " --bogus").status, 2);
    EXPECT_EQ(RunTool(copy_ + " -o").status, 2);
    const TRun notElf = RunTool("/proc/self/status");
    EXPECT_EQ(notElf.status, 1);
    EXPECT_NE(notElf.output.find("not an ELF file"), std::string::npos) << notElf.output;
    ASSERT_EQ(std::system(("objcopy --strip-debug " + copy_).c_str()), 0);
    EXPECT_EQ(RunTool(copy_).status, 1);
}

} // namespace qv::crash::test
