#include "skin/CaptionText.h"

namespace qv::skin {

namespace {

const QString kEllipsis = QStringLiteral("...");

} // namespace

QString ShortenCaption(const QString& text, int room, const TTextWidth& width) {
    if (text.isEmpty() || width(text) < room) return text;
    qsizetype length = text.size() - 1;
    while (length > 1 && width(text.left(length) + kEllipsis) >= room)
        --length;
    return text.left(std::max<qsizetype>(length, 1)) + kEllipsis;
}

QString FitCaption(const QString& text, int room, const TTextWidth& width) {
    if (width(text) <= room) return text;
    QString kept = text;
    while (!kept.isEmpty() && width(kept + kEllipsis) > room)
        kept.chop(1);
    return kept + kEllipsis;
}

} // namespace qv::skin
