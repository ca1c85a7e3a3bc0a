#include "crash/tracer/StackMaps.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace qv::crash {

namespace {

// Reads hex digits from the text at pos; moves pos past them.
uintptr_t HexAt(const std::string& text, size_t& pos) {
    uintptr_t value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) break;
        value = value * 16 + static_cast<uintptr_t>(digit);
    }
    return value;
}

std::string ReadWhole(const char* path) {
    std::string text;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return text;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return text;
}

} // namespace

TStackMaps TStackMaps::Read() {
    return Parse(ReadWhole("/proc/self/maps"));
}

TStackMaps TStackMaps::Parse(const std::string& text) {
    TStackMaps maps;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t lineEnd = text.find('\n', pos);
        const uintptr_t start = HexAt(text, pos);
        if (pos < text.size() && text[pos] == '-') {
            ++pos;
            const uintptr_t end = HexAt(text, pos);
            if (end > start) maps.ranges_.push_back({start, end});
        }
        if (lineEnd == std::string::npos) break;
        pos = lineEnd + 1;
    }
    return maps;
}

uintptr_t TStackMaps::StackTop(uintptr_t stackPointer, uintptr_t threadPointer) const {
    for (const TRange& range : ranges_) {
        if (stackPointer < range.start || stackPointer >= range.end) continue;
        return threadPointer > stackPointer && threadPointer < range.end ? threadPointer : range.end;
    }
    return 0;
}

} // namespace qv::crash
