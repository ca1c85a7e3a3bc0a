// The texts the bug report reads from /proc, /sys and os-release: settings lines, "key: value"
// lines of cpuinfo and meminfo, mount lists, memory maps and a thread's stat line. Any text
// gives a value or nothing and never raises, since the crash reporter reads them while it
// reports; what is read lies within the text and the numbers are the text's own.
#include "crash/ThreadMarks.h"
#include "crash/tracer/StackMaps.h"
#include "fuzz/support/FuzzInput.h"
#include "platform/SystemTexts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::string name = platform::ShellValue(text, "PRETTY_NAME");
    fuzz::Require(text.find(name) != std::string::npos, "a setting's value comes from the text");
    for (const std::string& value : platform::ProcValues(text, "model name"))
        fuzz::Require(value.find('\n') == std::string::npos, "a value stays on its line");
    if (const auto bytes = platform::MemInfoBytes(text, "MemTotal"))
        fuzz::Require(*bytes % 1024 == 0, "a meminfo value counts kilobytes");

    const std::string path = "/home/user/.config/quorvane";
    const std::string point = platform::MountPointIn(text, path);
    fuzz::Require(path.compare(0, point.size(), point) == 0, "a mount point is a prefix of the path");

    const crash::TStackMaps maps = crash::TStackMaps::Parse(text);
    const uintptr_t top = maps.StackTop(0x7ffc0000, 0);
    fuzz::Require(top == 0 || top > 0x7ffc0000, "a stack's top lies above its stack pointer");

    const std::string marks = crash::ThreadMarksOf(text);
    fuzz::Require(marks.empty() || marks.compare(0, 2, " <") == 0, "thread marks are empty or marks");
    return 0;
}
