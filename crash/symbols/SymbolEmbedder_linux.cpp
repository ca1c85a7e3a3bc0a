#include "crash/symbols/SymbolEmbedder.h"

#include "crash/symbols/SymbolLoader.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace qv::crash {

namespace {

int Run(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

bool TSymbolEmbedder::Embed(const std::string& binary, const std::string& package, std::string& error) {
    const std::string section = TSymbolLoader::kSectionName;
    const std::string temporary = binary + ".zor-section";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.write(package.data(), static_cast<std::streamsize>(package.size()))) {
            error = "cannot write " + temporary;
            return false;
        }
    }
    const int result = Run({"objcopy", "--remove-section=" + section, "--add-section",
                            section + "=" + temporary, "--set-section-flags", section + "=readonly", binary});
    std::remove(temporary.c_str());
    if (result != 0) error = "objcopy failed on " + binary;
    return result == 0;
}

} // namespace qv::crash
