#include "crash/symbols/SymbolEmbedder.h"

#include "crash/symbols/SymbolLoader.h"
#include "platform/PrivateFiles.h"
#include "platform/Process.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace qv::crash {

namespace {

// The exit code of the program, looked up in the absolute folders of PATH only; -1 when it
// could not run or did not end by itself.
int Run(std::vector<std::string> arguments) {
    const std::optional<std::string> program = platform::FindProgramOnPath(arguments[0]);
    if (!program) return -1;
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, program->c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

bool TSymbolEmbedder::Embed(const std::string& binary, const std::string& package, std::string& error) {
    const std::string section = TSymbolLoader::kSectionName;
    // A new file of a name of its own beside the binary: a fixed name there could be a link
    // someone else put in a shared folder.
    std::string temporary = binary + ".zor-section-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = "cannot write " + temporary;
        return false;
    }
    const bool written = platform::WriteAll(fd, package);
    if (::close(fd) != 0 || !written) {
        std::remove(temporary.c_str());
        error = "cannot write " + temporary;
        return false;
    }
    const int result = Run({"objcopy", "--remove-section=" + section, "--add-section",
                            section + "=" + temporary, "--set-section-flags", section + "=readonly", binary});
    std::remove(temporary.c_str());
    if (result != 0) error = "objcopy failed on " + binary;
    return result == 0;
}

} // namespace qv::crash
