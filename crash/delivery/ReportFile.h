#pragma once

#include "crash/delivery/DeliverySettings.h"

#include <cstdint>
#include <string>

namespace qv::crash {

// The report file: where it lies, and saving a report to it so that it stays below its size limit.
class TReportFile {
public:
    // Each report in the file begins with it.
    static constexpr const char* kReportStart = "date/time";

    // The configured name with "%appname%" replaced by the program's file name without extension.
    static std::string FileName(const DeliverySettings& settings);
    static bool IsAbsolute(const std::string& name);
    // Where relative names lie: the program's folder in the user's state folder,
    // $XDG_STATE_HOME/quorvane (~/.local/state/quorvane by default).
    static std::string ReportFolder();
    // The file an automatic save writes.
    static std::string AutomaticPath(const DeliverySettings& settings);

    // Creates missing folders (private to the user) and the file (readable by the user alone), never
    // through a link; with a maxSize of 0 replaces the file's content, else appends the report
    // (ended by an empty line) and, when the file is then larger than maxSize, drops the oldest
    // reports up to the first report start after which less than three quarters of maxSize remain
    // (a newest report larger than that stays alone, cut at a line end within maxSize); the
    // shorter file replaces the old one through a temporary file. False when the file cannot be
    // written or is not a file of the user's own; the user's own is made private (0600).
    static bool Save(const std::string& report, const std::string& path, int32_t maxSize);
};

} // namespace qv::crash
