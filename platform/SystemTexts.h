#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The texts that the system facts come from (/proc files, /sys attributes, os-release), taken
// apart. Each reader takes the text itself and gives nothing for what it cannot read: a damaged
// or unexpected text never raises, since the crash reporter reads them while it reports.
namespace qv::platform {

// The value of "KEY=value" or "KEY=\"value\"" in a shell-style settings text.
std::string ShellValue(const std::string& text, const std::string& key);
// The values after "key:" on the lines that start with the key (/proc/cpuinfo, /proc/meminfo).
std::vector<std::string> ProcValues(const std::string& text, const std::string& key);
// The first /proc/meminfo value of the key ("16318260 kB") in bytes.
std::optional<uint64_t> MemInfoBytes(const std::string& text, const std::string& key);
// The mount point of the volume that holds the path: the longest mount point in a
// /proc/self/mounts text that is a prefix of it, or "/".
std::string MountPointIn(const std::string& mounts, const std::string& path);
// The decimal number that a text begins with, after any blanks ("32", "16318260 kB").
std::optional<uint64_t> LeadingNumber(const std::string& text);

} // namespace qv::platform
