#include "crash/ThreadMarks.h"

#include <sstream>

namespace qv::crash {

namespace {
constexpr int kNiceField = 16;
} // namespace

std::string ThreadMarksOf(const std::string& statLine) {
    // The command name in parentheses may hold anything, blanks and ")" included.
    const size_t name = statLine.rfind(')');
    if (name == std::string::npos || name + 2 >= statLine.size()) return {};
    std::istringstream fields(statLine.substr(name + 2));
    std::string state;
    std::string field;
    fields >> state;
    // After the state, the 16th field is the nice value; a line cut short has none.
    int read = 0;
    while (read < kNiceField && fields >> field)
        ++read;
    std::string marks;
    if (state == "T" || state == "t") marks += " <suspended>";
    if (read == kNiceField && field != "0") marks += " <priority:" + field + ">";
    return marks;
}

} // namespace qv::crash
