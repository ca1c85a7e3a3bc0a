#include "crash/tracer/StackMaps.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace qv::crash {

namespace {

// Reads the "start-end" that begins each line of a maps text fed in pieces of any size, and
// hands each range to a visitor until the visitor returns false.
class TRangeScanner {
public:
    template <typename Visit>
    bool Feed(const char* data, size_t size, Visit&& visit) {
        for (size_t i = 0; i < size; ++i) {
            const char c = data[i];
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (field_ == TField::Start && digit >= 0) {
                start_ = start_ * 16 + static_cast<uintptr_t>(digit);
            } else if (field_ == TField::Start) {
                field_ = c == '-' ? TField::End : TField::Rest;
            } else if (field_ == TField::End && digit >= 0) {
                end_ = end_ * 16 + static_cast<uintptr_t>(digit);
            } else if (field_ == TField::End && !Finish(visit)) {
                return false;
            }
            if (c == '\n') {
                field_ = TField::Start;
                start_ = end_ = 0;
            }
        }
        return true;
    }

    // Ends the range being read, as at the end of the text; false when the visitor says stop.
    template <typename Visit>
    bool Finish(Visit&& visit) {
        const bool complete = field_ == TField::End && end_ > start_;
        field_ = TField::Rest;
        return !complete || visit(start_, end_);
    }

private:
    enum class TField { Start, End, Rest };
    TField field_ = TField::Start;
    uintptr_t start_ = 0;
    uintptr_t end_ = 0;
};

// Feeds /proc/self/maps to the scanner in pieces read into a buffer on the stack.
template <typename Visit>
void ScanOwnMaps(Visit&& visit) {
    const int fd = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    TRangeScanner scanner;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        if (got == 0) {
            scanner.Finish(visit);
            break;
        }
        if (!scanner.Feed(buffer, static_cast<size_t>(got), visit)) break;
    }
    ::close(fd);
}

uintptr_t TopOf(uintptr_t end, uintptr_t stackPointer, uintptr_t threadPointer) {
    return threadPointer > stackPointer && threadPointer < end ? threadPointer : end;
}

} // namespace

TStackMaps TStackMaps::Read() {
    TStackMaps maps;
    ScanOwnMaps([&](uintptr_t start, uintptr_t end) {
        maps.ranges_.push_back({start, end});
        return true;
    });
    return maps;
}

TStackMaps TStackMaps::Parse(const std::string& text) {
    TStackMaps maps;
    const auto add = [&](uintptr_t start, uintptr_t end) {
        maps.ranges_.push_back({start, end});
        return true;
    };
    TRangeScanner scanner;
    scanner.Feed(text.data(), text.size(), add);
    scanner.Finish(add);
    return maps;
}

uintptr_t TStackMaps::ScanStackTop(uintptr_t stackPointer, uintptr_t threadPointer) {
    uintptr_t top = 0;
    ScanOwnMaps([&](uintptr_t start, uintptr_t end) {
        if (stackPointer < start || stackPointer >= end) return true;
        top = TopOf(end, stackPointer, threadPointer);
        return false;
    });
    return top;
}

uintptr_t TStackMaps::StackTop(uintptr_t stackPointer, uintptr_t threadPointer) const {
    for (const TRange& range : ranges_)
        if (stackPointer >= range.start && stackPointer < range.end)
            return TopOf(range.end, stackPointer, threadPointer);
    return 0;
}

} // namespace qv::crash
