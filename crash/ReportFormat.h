#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace qv::crash {

// The number and text formats of the bug report.
class TReportFormat {
public:
    // "$" and lowercase hex digits without leading zeros, as process and thread ids are shown.
    static std::string HexId(uint64_t value);
    // 8 lowercase hex digits (more where the value needs them), as addresses are shown.
    static std::string Address(uint64_t value);
    // "1.0.0.0": a version's four numbers; empty when all are 0, which means no version.
    static std::string Version(int major, int minor, int release, int build);
    // The number left-padded with "0" to the width.
    static std::string Padded(int64_t value, int width);
    // "2024-03-01 09:05": year, month, day, hour and minute of a local time.
    static std::string DateTime(const std::tm& local);
    // "1023 Bytes", "1,00 KB", "1,50 MB", "2,00 GB": truncated to hundredths, with the separator.
    static std::string Size(uint64_t bytes, char decimalSeparator);
    // The locale's decimal separator, or "," when it cannot be read.
    static char DecimalSeparator();
    // The two largest parts from the first non-zero one of days, hours and minutes, each
    // "N units " or "1 unit "; parts of 0 are left out, so the text ends with a blank.
    static std::string Duration(uint64_t seconds);
    // A header line: the label padded with blanks to 18 characters, ": " and the value.
    static std::string HeaderLine(const std::string& label, const std::string& value);
    // The text without the control characters 0 to 31; "Unknown" when nothing is left.
    static std::string CleanMessage(const std::string& message);
    // A cleaned message as the "exception message" line shows it: its closing run of "." and "!"
    // cut to its first character, and "." added.
    static std::string MessageWithStop(const std::string& cleaned);
    // "00401234 module unit 12 function", or "00401234 ???" when no symbol is found.
    static std::string CodeLocation(uintptr_t address);
};

} // namespace qv::crash
