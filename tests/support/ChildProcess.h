#pragma once

#include <string>
#include <vector>

namespace qv::test {

// What a program run by RunProgram left behind.
struct ProgramResult {
    int exitCode = -1; // -1: killed by a signal or by the time limit
    std::string out;
    std::string err;
};

// Runs `program` with `arguments`, standard input empty, and collects both output
// streams. A program still running after `limitSeconds` is killed.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         int limitSeconds = 30);

} // namespace qv::test
