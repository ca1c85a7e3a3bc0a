#include "crash/symbols/DwarfPackager.h"
#include "crash/symbols/SymbolEmbedder.h"
#include "crash/symbols/SymbolLoader.h"
#include "framework/Exception.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

using namespace qv::crash;

namespace {

int Usage() {
    std::fputs("usage: quorvane-symbols BINARY [-o OUT.zor] [--embed]\n"
               "Packs the symbols of BINARY's debug information into a symbol package, written to\n"
               "OUT.zor (by default BINARY.zor) or, with --embed, into BINARY's .zor.except section.\n",
               stderr);
    return 2;
}

bool WriteFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out.write(data.data(), static_cast<std::streamsize>(data.size())));
}

} // namespace

int main(int argc, char** argv) {
    std::string binary, output;
    bool embed = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-o" && i + 1 < argc)
            output = argv[++i];
        else if (argument == "--embed")
            embed = true;
        else if (binary.empty() && !argument.empty() && argument[0] != '-')
            binary = argument;
        else
            return Usage();
    }
    if (binary.empty()) return Usage();
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
