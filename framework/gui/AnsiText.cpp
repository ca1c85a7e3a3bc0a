#include "framework/gui/AnsiText.h"

#include "framework/Cp1252.h"

namespace qv::framework {

QString AnsiToQString(std::string_view text) {
    QString result(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    QChar* out = result.data();
    for (const char c : text)
        *out++ = QChar(static_cast<char16_t>(Cp1252CodePoint(static_cast<unsigned char>(c))));
    return result;
}

std::string QStringToAnsi(const QString& text) {
    std::string result;
    result.reserve(static_cast<size_t>(text.size()));
    for (const QChar c : text)
        result += Cp1252Byte(c.unicode());
    return result;
}

} // namespace qv::framework
