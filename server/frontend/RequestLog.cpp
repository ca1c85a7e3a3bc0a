#include "server/frontend/RequestLog.h"

#include <cstdio>
#include <ctime>

namespace qv::server {

namespace {

// Enough of a path or action to tell requests apart.
constexpr size_t kLoggedChars = 64;

std::string Printable(std::string_view text) {
    std::string out(text.substr(0, kLoggedChars));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '?';
    return out;
}

void WriteLine(std::string line) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    const size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", &local);
    line.insert(0, stamp, length);
    line += '\n';
    // One write a line, so that lines of concurrent requests never interleave.
    std::fwrite(line.data(), 1, line.size(), stderr);
}

} // namespace

void LogRequest(std::string_view peer, std::string_view method, std::string_view path,
                const std::optional<std::string>& action, int status, size_t bodySize,
                const std::optional<std::string>& page) {
    std::string line = std::string(peer) + " " + Printable(method) + " " + Printable(path);
    if (action) line += " action=" + Printable(*action);
    line += " " + std::to_string(status) + " " + std::to_string(bodySize);
    if (page) line += " page=" + Printable(*page);
    WriteLine(line);
}

void LogConnection(std::string_view peer, std::string_view what) {
    WriteLine(std::string(peer) + " " + std::string(what));
}

} // namespace qv::server
