#pragma once

#include <string>

namespace qv::crash {

// The report's text is in the Windows-1252 code page; programs outside take UTF-8.
class TCodePage {
public:
    static std::string Utf8FromAnsi(const std::string& ansi);
};

} // namespace qv::crash
