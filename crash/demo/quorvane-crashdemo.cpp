// quorvane-crashdemo KIND [--worker] [--dialog], in any order: a console program with the crash reporter
// installed with this build's settings, which fails on purpose inside CrashDemoFault, on the main thread or
// on a thread of the program's thread class. The reporter writes the message and the report to the standard
// output, or, with --dialog and a display, shows the exception dialog; when the event may continue, the
// program prints "continued" and ends with 0.
#include "crash/CrashReporter.h"
#include "crash/CrashboxDialog.h"
#include "framework/CommandLine.h"
#include "framework/EAbort.h"
#include "platform/Thread.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr const char* kProgram = "quorvane-crashdemo";
constexpr const char* kUsage = "usage: quorvane-crashdemo KIND [--worker] [--dialog]\n"
                               "       quorvane-crashdemo --help | --version\n"
                               "KIND: segv, abort, trap, stack-overflow, divide, throw, abort-exception\n";
constexpr const char* kKinds[] = {"segv",   "abort", "trap",           "stack-overflow",
                                  "divide", "throw", "abort-exception"};

volatile int gZero = 0;
volatile int gDividend = 7;
volatile int* volatile gNowhere = nullptr;

// The frame of each call of the stack overflow: large, so that the stack ends after some
// thousand calls.
constexpr size_t kOverflowFrameBytes = 4096;

__attribute__((noinline)) void CrashDemoFault(const std::string& kind, int depth = 0) {
    if (kind == "segv") *gNowhere = 1;
    if (kind == "abort") std::abort();
    if (kind == "trap") __builtin_trap();
    if (kind == "divide") std::printf("%d\n", gDividend / gZero);
    if (kind == "throw") throw std::runtime_error("The demo's exception was not caught!");
    if (kind == "abort-exception") throw qv::framework::EAbort("Operation aborted");
    if (kind == "stack-overflow") {
        volatile char frame[kOverflowFrameBytes];
        frame[0] = static_cast<char>(depth);
        CrashDemoFault(kind, depth + 1);
        frame[1] = frame[0];
    }
}

class TCrashDemoThread : public qv::platform::TThread {
public:
    explicit TCrashDemoThread(std::string kind) : kind_(std::move(kind)) {}

protected:
    void Execute() override { CrashDemoFault(kind_); }

private:
    std::string kind_;
};

bool KnownKind(const std::string& kind) {
    for (const char* known : kKinds)
        if (kind == known) return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    qv::crash::Install();
    using qv::framework::TOptionValue;
    int exitCode = 0;
    const auto line = qv::framework::ReadToolCommandLine(
        argc, argv, {{"--worker", TOptionValue::None}, {"--dialog", TOptionValue::None}}, kProgram, kUsage,
        exitCode);
    if (!line) return exitCode;
    if (line->Operands().size() != 1 || !KnownKind(line->Operands().front()))
        return qv::framework::RefuseCommandLine(kProgram, "one KIND is needed", kUsage);
    const std::string kind = line->Operands().front();
    const bool worker = line->Has("--worker");
    const bool dialog = line->Has("--dialog");
    if (dialog)
        qv::crash::TCrashReporter::Instance().SetDialog(std::make_unique<qv::crash::TCrashboxDialog>());
    if (worker) {
        TCrashDemoThread thread(kind);
        thread.Start();
        thread.WaitFor();
    } else {
        CrashDemoFault(kind);
    }
    std::printf("continued\n");
    return 0;
}
