#include "platform/ProductVersion.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <string>

namespace qv::tools::test {

namespace {

constexpr const char* kTools[] = {QV_TOOL_PATHS};

std::string FileName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

} // namespace

TEST(ToolsCommandLine, EveryToolAnswersHelpAndVersionWithoutADisplay) {
    const qv::test::ScopedEnvironment environment{{"DISPLAY", std::nullopt},
                                                  {"WAYLAND_DISPLAY", std::nullopt}};
    for (const std::string tool : kTools) {
        const std::string name = FileName(tool);
        const qv::test::ProgramResult version = qv::test::RunProgram(tool, {"--version"}, 30);
        EXPECT_EQ(version.exitCode, 0) << name << version.err;
        EXPECT_EQ(version.out, name + " " + platform::kVersionText + "\n");
        const qv::test::ProgramResult help = qv::test::RunProgram(tool, {"--help"}, 30);
        EXPECT_EQ(help.exitCode, 0) << name << help.err;
        EXPECT_EQ(help.out.rfind("usage: " + name + " ", 0), 0u) << help.out;
        const qv::test::ProgramResult bad = qv::test::RunProgram(tool, {"--no-such-option"}, 30);
        EXPECT_EQ(bad.exitCode, 2) << name;
        EXPECT_EQ(bad.err.rfind(name + ": unknown option '--no-such-option'\nusage: ", 0), 0u) << bad.err;
    }
}

TEST(ToolsCommandLine, OptionsComeBeforeOrAfterTheOperand) {
    const qv::test::ScopedEnvironment environment{{"DISPLAY", std::nullopt},
                                                  {"WAYLAND_DISPLAY", std::nullopt}};
    // Without a display the dialog falls back to the console form, and a worker's exception lets
    // the program go on.
    for (const auto& arguments : {std::vector<std::string>{"--dialog", "--worker", "throw"},
                                  std::vector<std::string>{"--worker", "throw", "--dialog"}}) {
        const qv::test::ProgramResult result = qv::test::RunProgram(QV_CRASHDEMO, arguments, 60);
        EXPECT_EQ(result.exitCode, 0) << arguments[0] << result.err;
        EXPECT_EQ(result.out.substr(result.out.size() - 10), "continued\n");
    }
}

} // namespace qv::tools::test
