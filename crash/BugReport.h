#pragma once

#include "crash/CrashSettings.h"
#include "crash/ExceptionInfo.h"
#include "crash/ExceptionRequest.h"
#include "crash/tracer/StackTracer.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qv::crash {

// What one report is about.
struct TReportSubject {
    // A freeze report, or a report of the whole process without an exception.
    bool frozen = false;
    TExceptionInfo exception;
    uintptr_t exceptionAddress = 0;
    // The faulting thread; for a freeze, the main thread.
    pid_t threadId = 0;
    // The registers of a faulting thread that waits meanwhile; else the thread is held for its trace.
    const TFaultContext* context = nullptr;
};

// Composes the plain-text bug report: the header, a section per thread, the modules, the hardware
// and the disassembly of the faulting function (for a report without an exception, of the code
// found on the thread's stack). Lines end in CR LF; the last has no line end. Every header line
// and section is guarded on its own: a failure costs only that piece. A fault signal while
// composing keeps what was composed and ends the report with a note of the fault's address.
class TBugReport {
public:
    TBugReport(const CrashSettings& settings, std::chrono::system_clock::time_point installedAt)
        : settings_(settings), installedAt_(installedAt) {}

    std::string Compose(const TReportSubject& subject) const;
    // Receives the progress of the thread sections in thousandths while stacks are traced.
    void SetProgress(TTraceProgress progress) { progress_ = std::move(progress); }

    // The header alone, ended by its last line without a line end.
    std::string Header(const TReportSubject& subject) const;
    std::string ThreadSections(const TReportSubject& subject) const;
    std::string Modules() const;
    std::string Hardware() const;

private:
    const CrashSettings& settings_;
    std::chrono::system_clock::time_point installedAt_;
    TTraceProgress progress_;

    // The pieces in their order, appended to the report as each is done.
    void ComposeParts(const TReportSubject& subject, std::string& report) const;
    std::string ThreadSection(pid_t thread, const TReportSubject& subject,
                              const TTraceProgress& progress) const;
    std::string ThreadStack(pid_t thread, const TReportSubject& subject, uintptr_t creatorAddress,
                            const TTraceProgress& progress) const;
};

} // namespace qv::crash
