#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace qv::framework {

// The program's 8-bit text is Windows-1252; windows show and take Unicode. Bytes that 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same value.
QString AnsiToQString(std::string_view text);
// Characters that 1252 cannot hold become "?".
std::string QStringToAnsi(const QString& text);

} // namespace qv::framework
