#include "framework/gui/Fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

namespace qv::framework {

namespace {

constexpr const char* kFreeTahomaFolder = "/usr/share/wine/fonts/";

// Loads the free Tahoma faces; answers whether the regular face could be loaded.
bool LoadFreeTahoma() {
    bool loaded = false;
    for (const char* file : {"tahoma.ttf", "tahomabd.ttf"}) {
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kFreeTahomaFolder) + file);
        if (id >= 0 && QFontDatabase::applicationFontFamilies(id).contains(QStringLiteral("Tahoma")))
            loaded = true;
    }
    return loaded;
}

} // namespace

void InitializeFonts() {
    static bool initialized = false;
    if (initialized) return;
    initialized = true;
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    // Without the free Tahoma the nearest in width is Liberation Sans; DejaVu Sans, the
    // system's own fallback, runs too wide for captions laid out in pixels.
    if (!QFontDatabase::hasFamily(QStringLiteral("Tahoma")) && !LoadFreeTahoma())
        QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"));
    QApplication::setFont(PixelFont(QStringLiteral("MS Sans Serif"), kApplicationFontPixels));
}

QFont PixelFont(const QString& family, int pixelSize, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}

} // namespace qv::framework
