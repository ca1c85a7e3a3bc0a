#pragma once

#include <QString>

#include <functional>

namespace qv::skin {

// Measures a text's width in pixels with the font it will be drawn in.
using TTextWidth = std::function<int(const QString&)>;

// The caption section's rule: the text itself when it is narrower than the room; otherwise its
// longest prefix of at least one character that, followed by "...", is still narrower, with
// "..." appended.
QString ShortenCaption(const QString& text, int room, const TTextWidth& width);

// The caption's rule between icon and buttons: a text wider than the room loses characters from
// its end until it fits followed by "..." (or is empty), and gets "..." appended.
QString FitCaption(const QString& text, int room, const TTextWidth& width);

} // namespace qv::skin
