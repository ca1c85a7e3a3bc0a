#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace qv::framework {

// The program's 8-bit text is Windows-1252 (framework/Cp1252.h); windows show and take Unicode.
QString AnsiToQString(std::string_view text);
// Characters that 1252 cannot hold become "?".
std::string QStringToAnsi(const QString& text);

} // namespace qv::framework
