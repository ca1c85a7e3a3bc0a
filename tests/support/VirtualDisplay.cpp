#include "tests/support/VirtualDisplay.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qv::test {

VirtualDisplay::VirtualDisplay() {
    int ready[2];
    if (::pipe(ready) != 0) return;
    process_ = ::fork();
    if (process_ == 0) {
        const int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, 1);
        ::dup2(devNull, 2);
        const std::string fd = std::to_string(ready[1]);
        // No reset when the last client leaves: a program started then would find the display gone.
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                 "-noreset", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ready[1]);
    char number[16] = {};
    if (::read(ready[0], number, sizeof number - 1) > 0) name_ = ":" + std::to_string(std::atoi(number));
    ::close(ready[0]);
}

VirtualDisplay::~VirtualDisplay() {
    if (process_ <= 0) return;
    ::kill(process_, SIGTERM);
    ::waitpid(process_, nullptr, 0);
}

} // namespace qv::test
