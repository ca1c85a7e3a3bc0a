#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <future>
#include <regex>
#include <string>
#include <vector>

namespace qv::crash::test {

namespace {

constexpr const char* kMessageLine = "An error occurred in the application.\r\n";

struct TKind {
    const char* name;
    const char* exceptionClass;
    // The start of the exception message line's value; empty for no report.
    const char* message;
};

const TKind kKinds[] = {
    {"segv", "ZorException", "Access violation at address "},
    {"abort", "ZorException", "Abnormal program termination at address "},
    {"trap", "ZorException", "Illegal instruction at address "},
    {"stack-overflow", "ZorException", "Stack overflow at address "},
    {"divide", "ZorException", "Integer division by zero at address "},
    {"throw", "std::runtime_error", "The demo's exception was not caught!."},
    {"abort-exception", "", ""},
};

// The section of the thread titled by the pattern: from its title line to the next empty line.
std::string Section(const std::string& report, const std::string& titlePattern) {
    std::smatch match;
    if (!std::regex_search(report, match, std::regex("\r\n\r\n(" + titlePattern + "):[^\r]*\r\n"))) return {};
    const size_t start = static_cast<size_t>(match.position(0)) + 4;
    return report.substr(start, report.find("\r\n\r\n", start) - start);
}

void ExpectReport(const TKind& kind, bool worker, const qv::test::ProgramResult& run) {
    const std::string& out = run.out;
    ASSERT_EQ(out.rfind(kMessageLine, 0), 0u) << out;
    EXPECT_NE(out.find("exception class   : " + std::string(kind.exceptionClass) + "\r\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("exception message : " + std::string(kind.message)), std::string::npos) << out;
    const std::string faulting =
        worker ? Section(out, R"(thread \$[0-9a-f]+ \(\(anonymous namespace\)::TCrashDemoThread\))")
               : Section(out, R"(main thread \(\$[0-9a-f]+\))");
    ASSERT_FALSE(faulting.empty()) << out;
    EXPECT_NE(faulting.find("::CrashDemoFault\r\n"), std::string::npos) << faulting;
    EXPECT_EQ(faulting.find("not accessible"), std::string::npos) << faulting;
    if (worker) {
        EXPECT_NE(faulting.find("\r\n>> created by main thread ($"), std::string::npos) << faulting;
    }
    for (const char* section : {"\r\n\r\nmodules:\r\n", "\r\n\r\nhardware:", "\r\n\r\ndisassembling:\r\n"})
        EXPECT_NE(out.find(section), std::string::npos) << section;
}

// The header's lines stand in their order, with their labels and formats.
void ExpectHeader(const std::string& out) {
    const size_t start = out.find("\r\n\r\n") + 4;
    const std::string header = out.substr(start, out.find("\r\n\r\n", start) - start);
    const char* labels[] = {"date/time",         "computer name",   "user name",        "operating system",
                            "system up time",    "program up time", "physical memory",  "free disk space",
                            "process id",        "command line",    "executable",       "exec. date/time",
                            "zorExcept version", "exception class", "exception message"};
    size_t at = 0;
    for (const char* label : labels) {
        std::string prefix = label;
        prefix.resize(18, ' ');
        const size_t found = header.find((at == 0 ? "" : "\r\n") + prefix + ": ", at);
        ASSERT_NE(found, std::string::npos) << label << " in order\n" << header;
        at = found + 1;
    }
    EXPECT_TRUE(std::regex_search(header, std::regex(R"(date/time {9}: \d{4}-\d\d-\d\d \d\d:\d\d\r\n)")));
    EXPECT_TRUE(std::regex_search(header, std::regex(R"(process id {8}: \$[0-9a-f]+\r\n)")));
    EXPECT_TRUE(
        std::regex_search(header, std::regex(R"(physical memory {3}: \d+/\d+ MB \(free/total\)\r\n)")));
    EXPECT_NE(header.find("zorExcept version : 2.7e\r\n"), std::string::npos);
    EXPECT_NE(header.find("executable        : quorvane-crashdemo\r\n"), std::string::npos);
}

} // namespace

// Every way the demo fails, on the main thread and on a worker of the thread class, each in its
// own process, at the same time.
TEST(CrashMatrix, EveryKindOnTheMainThreadAndOnAWorker) {
    std::vector<std::future<qv::test::ProgramResult>> runs;
    for (const TKind& kind : kKinds)
        for (const bool worker : {false, true}) {
            std::vector<std::string> arguments{kind.name};
            if (worker) arguments.emplace_back("--worker");
            runs.push_back(std::async(std::launch::async, [arguments] {
                return qv::test::RunProgram(QV_CRASHDEMO, arguments, 60);
            }));
        }
    size_t run = 0;
    for (const TKind& kind : kKinds)
        for (const bool worker : {false, true}) {
            SCOPED_TRACE(std::string(kind.name) + (worker ? " --worker" : ""));
            const qv::test::ProgramResult result = runs[run++].get();
            // A worker's event may continue, the main thread's may not: the action is close.
            EXPECT_EQ(result.exitCode, worker ? 0 : 1) << result.out << result.err;
            const std::string ending = worker ? "continued\n" : "";
            EXPECT_TRUE(result.out.size() >= ending.size() &&
                        result.out.compare(result.out.size() - ending.size(), ending.size(), ending) == 0);
            // EAbort is never reported.
            if (kind.message[0] == '\0')
                EXPECT_EQ(result.out, ending);
            else
                ExpectReport(kind, worker, result);
            if (run == 1) ExpectHeader(result.out);
        }
}

} // namespace qv::crash::test
