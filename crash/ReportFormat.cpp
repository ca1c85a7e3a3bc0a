#include "crash/ReportFormat.h"

#include "crash/symbols/SymbolLookup.h"

#include <QLocale>

#include <cinttypes>
#include <cstdio>

namespace qv::crash {

std::string TReportFormat::HexId(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "$%" PRIx64, value);
    return text;
}

std::string TReportFormat::Address(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%08" PRIx64, value);
    return text;
}

std::string TReportFormat::Version(int major, int minor, int release, int build) {
    if (major == 0 && minor == 0 && release == 0 && build == 0) return {};
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(release) + "." +
           std::to_string(build);
}

std::string TReportFormat::Padded(int64_t value, int width) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*" PRId64, width, value);
    return text;
}

std::string TReportFormat::DateTime(const std::tm& local) {
    return Padded(local.tm_year + 1900, 4) + "-" + Padded(local.tm_mon + 1, 2) + "-" +
           Padded(local.tm_mday, 2) + " " + Padded(local.tm_hour, 2) + ":" + Padded(local.tm_min, 2);
}

std::string TReportFormat::Size(uint64_t bytes, char decimalSeparator) {
    if (bytes < 1024) return std::to_string(bytes) + " Bytes";
    static constexpr const char* kUnits[] = {" KB", " MB", " GB"};
    int unit = 0;
    uint64_t divisor = 1024;
    while (unit < 2 && bytes >= divisor * 1024) {
        divisor *= 1024;
        ++unit;
    }
    const uint64_t hundredths = bytes * 100 / divisor;
    return std::to_string(hundredths / 100) + decimalSeparator +
           Padded(static_cast<int64_t>(hundredths % 100), 2) + kUnits[unit];
}

char TReportFormat::DecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 && point.at(0).unicode() < 128 ? static_cast<char>(point.at(0).unicode()) : ',';
}

std::string TReportFormat::Duration(uint64_t seconds) {
    struct TPart {
        uint64_t value;
        const char* unit;
    };
    const TPart parts[] = {{seconds / 86400, "day"},
                           {seconds / 3600 % 24, "hour"},
                           {seconds / 60 % 60, "minute"},
                           {seconds % 60, "second"}};
    size_t first = 0;
    while (first < 2 && parts[first].value == 0)
        ++first;
    std::string text;
    for (size_t i = first; i < first + 2; ++i) {
        if (parts[i].value == 0) continue;
        text += std::to_string(parts[i].value) + " " + parts[i].unit + (parts[i].value == 1 ? " " : "s ");
    }
    return text;
}

std::string TReportFormat::HeaderLine(const std::string& label, const std::string& value) {
    static constexpr size_t kLabelWidth = 18;
    std::string line = label;
    if (line.size() < kLabelWidth) line.append(kLabelWidth - line.size(), ' ');
    return line + ": " + value;
}

std::string TReportFormat::CleanMessage(const std::string& message) {
    std::string cleaned;
    for (const char c : message)
        if (static_cast<unsigned char>(c) >= 32) cleaned += c;
    return cleaned.empty() ? "Unknown" : cleaned;
}

std::string TReportFormat::MessageWithStop(const std::string& cleaned) {
    size_t end = cleaned.size();
    while (end > 0 && (cleaned[end - 1] == '.' || cleaned[end - 1] == '!'))
        --end;
    return cleaned.substr(0, end == cleaned.size() ? end : end + 1) + ".";
}

std::string TReportFormat::CodeLocation(uintptr_t address) {
    const auto location = Locate(address);
    if (!location) return Address(address) + " ???";
    std::string text = Address(address) + " " + location->moduleName + " " + location->unitName + " ";
    if (location->line != 0) text += std::to_string(location->line) + " ";
    return text + location->functionName;
}

} // namespace qv::crash
