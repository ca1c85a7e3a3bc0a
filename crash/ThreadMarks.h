#pragma once

#include <string>

namespace qv::crash {

// A thread's scheduling marks in its report title, from its stat line in /proc: " <suspended>"
// when it is stopped, " <priority:N>" for a nice value other than 0, empty for a line that does
// not read as a stat line.
std::string ThreadMarksOf(const std::string& statLine);

} // namespace qv::crash
