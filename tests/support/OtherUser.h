#pragma once

#include <functional>
#include <sys/types.h>

namespace qv::test {

// The unprivileged user "nobody" (65534 where the system has no such entry).
uid_t NobodyId();
// Whether this process may act as other users: the tests that plant things as another local
// user need it (CI runs as root).
bool CanActAsOtherUsers();
// Runs the body in a child process that has become the user (group the same id), so that what
// it makes belongs to that user; true when the body returned true.
bool AsOtherUser(uid_t user, const std::function<bool()>& body);

} // namespace qv::test
