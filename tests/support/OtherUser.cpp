#include "tests/support/OtherUser.h"

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qv::test {

namespace {

constexpr uid_t kNobodyFallback = 65534;

} // namespace

uid_t NobodyId() {
    const passwd* entry = ::getpwnam("nobody");
    return entry != nullptr ? entry->pw_uid : kNobodyFallback;
}

bool CanActAsOtherUsers() {
    return ::geteuid() == 0;
}

bool AsOtherUser(uid_t user, const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        const bool became = ::setgroups(0, nullptr) == 0 && ::setresgid(user, user, user) == 0 &&
                            ::setresuid(user, user, user) == 0;
        ::_exit(became && body() ? 0 : 1);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace qv::test
