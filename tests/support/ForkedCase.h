#pragma once

#include <functional>
#include <string>

namespace qv::test {

// What a case run in a child process wrote and how the child ended.
struct ForkedResult {
    std::string output;
    bool exitedCleanly = false;
    // -1 when a signal or the time limit ended the child.
    int exitCode = -1;
};

// Runs the body in a forked child, so that a crash or a stray signal cannot take the test runner
// down. The body writes its findings to the descriptor it receives; a child still running after
// the limit is killed.
ForkedResult RunForked(const std::function<void(int out)>& body, int limitSeconds = 30);

// Writes all of the text to the descriptor; usable in a signal handler.
void WriteAll(int fd, const std::string& text);

} // namespace qv::test
