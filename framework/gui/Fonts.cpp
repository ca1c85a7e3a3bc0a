#include "framework/gui/Fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHash>
#include <QStringList>

namespace qv::framework {

namespace {

constexpr const char* kFreeTahomaFolder = "/usr/share/wine/fonts/";

// The Windows font names that the system lacks, each with the free family drawn in its place.
QHash<QString, QString>& StandIns() {
    static QHash<QString, QString> standIns;
    return standIns;
}

void AddStandIn(const QString& windowsName, const QString& freeName) {
    QFont::insertSubstitution(windowsName, freeName);
    StandIns().insert(windowsName, freeName);
}

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
    // Without the free Tahoma the nearest in width is Liberation Sans; DejaVu Sans, the
    // system's own fallback, runs too wide for captions laid out in pixels.
    // Looked up by name among the installed families: a family the system's font configuration
    // merely maps elsewhere is not installed.
    const QStringList installed = QFontDatabase::families();
    if (!installed.contains(QStringLiteral("Tahoma"), Qt::CaseInsensitive) && !LoadFreeTahoma())
        AddStandIn(QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"));
    if (!installed.contains(QStringLiteral("MS Sans Serif"), Qt::CaseInsensitive))
        AddStandIn(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QApplication::setFont(PixelFont(QStringLiteral("MS Sans Serif"), kApplicationFontPixels));
}

QFont PixelFont(const QString& family, int pixelSize, bool bold) {
    // Asking for the stand-in by its own name spares the font library, at the first use of each
    // font, a search for the missing family and for the fallbacks of both.
    QFont font(StandIns().value(family, family));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}

} // namespace qv::framework
