#include "platform/SystemTexts.h"

#include <limits>
#include <sstream>

namespace qv::platform {

namespace {
constexpr uint64_t kBytesPerKilobyte = 1024;
} // namespace

std::string ShellValue(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, key.size() + 1, key + "=") != 0) continue;
        std::string value = line.substr(key.size() + 1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return {};
}

std::vector<std::string> ProcValues(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    std::vector<std::string> values;
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, key.size(), key) != 0) continue;
        const size_t colon = line.find(':', key.size());
        if (colon == std::string::npos || line.find_first_not_of(" \t", key.size()) != colon) continue;
        const size_t start = line.find_first_not_of(" \t", colon + 1);
        values.push_back(start == std::string::npos ? std::string() : line.substr(start));
    }
    return values;
}

std::optional<uint64_t> MemInfoBytes(const std::string& text, const std::string& key) {
    const std::vector<std::string> values = ProcValues(text, key);
    if (values.empty()) return std::nullopt;
    const auto kilobytes = LeadingNumber(values.front());
    if (!kilobytes || *kilobytes > std::numeric_limits<uint64_t>::max() / kBytesPerKilobyte)
        return std::nullopt;
    return *kilobytes * kBytesPerKilobyte;
}

std::string MountPointIn(const std::string& mounts, const std::string& path) {
    std::istringstream lines(mounts);
    std::string line;
    std::string best = "/";
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device;
        std::string point;
        fields >> device >> point;
        const bool prefix = !point.empty() && path.compare(0, point.size(), point) == 0 &&
                            (path.size() == point.size() || path[point.size()] == '/' || point == "/");
        if (prefix && point.size() > best.size()) best = point;
    }
    return best;
}

std::optional<uint64_t> LeadingNumber(const std::string& text) {
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos || text[start] < '0' || text[start] > '9') return std::nullopt;
    uint64_t value = 0;
    for (size_t i = start; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const auto digit = static_cast<uint64_t>(text[i] - '0');
        if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

} // namespace qv::platform
