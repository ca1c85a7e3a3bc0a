#include "crash/symbols/DwarfPackager.h"
#include "crash/symbols/SymbolEmbedder.h"
#include "crash/symbols/SymbolLoader.h"
#include "framework/CommandLine.h"
#include "framework/Exception.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

using namespace qv::crash;

namespace {

constexpr const char* kProgram = "quorvane-symbols";
constexpr const char* kUsage =
    "usage: quorvane-symbols BINARY [-o OUT.zor] [--embed]\n"
    "       quorvane-symbols --help | --version\n"
    "Packs the symbols of BINARY's debug information into a symbol package, written to\n"
    "OUT.zor (by default BINARY.zor) or, with --embed, into BINARY's .zor.except section.\n";

bool WriteFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out.write(data.data(), static_cast<std::streamsize>(data.size())));
}

} // namespace

int main(int argc, char** argv) {
    using qv::framework::TOptionValue;
    int exitCode = 0;
    const auto line = qv::framework::ReadToolCommandLine(
        argc, argv, {{"-o", TOptionValue::Required}, {"--embed", TOptionValue::None}}, kProgram, kUsage,
        exitCode);
    if (!line) return exitCode;
    if (line->Operands().size() != 1 || line->Operands().front().empty())
        return qv::framework::RefuseCommandLine(kProgram, "one BINARY is needed", kUsage);
    const std::string binary = line->Operands().front();
    std::string output = line->Value("-o").value_or("");
    const bool embed = line->Has("--embed");
    if (output.empty() && !embed) output = TSymbolLoader::SiblingFile(binary, ".zor");

    TMapFile table;
    std::string error;
    std::optional<std::string> package;
    try {
        package = TDwarfPackager::Package(binary, table, error);
    } catch (const qv::framework::Exception& e) {
        error = binary + ": " + e.Message();
    }
    if (!package) {
        std::fprintf(stderr, "quorvane-symbols: %s\n", error.c_str());
        return 1;
    }
    if (!output.empty() && !WriteFile(output, *package)) {
        std::fprintf(stderr, "quorvane-symbols: cannot write %s\n", output.c_str());
        return 1;
    }
    if (embed && !TSymbolEmbedder::Embed(binary, *package, error)) {
        std::fprintf(stderr, "quorvane-symbols: %s\n", error.c_str());
        return 1;
    }
    std::printf("%zu segments, %zu functions, %zu lines, %zu bytes\n", table.segments.size(),
                table.publics.size(), table.lines.size(), package->size());
    return 0;
}
