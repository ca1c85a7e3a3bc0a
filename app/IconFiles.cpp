// quorvane-icons OUTDIR: writes the program's icon for the desktop's icon theme as
// OUTDIR/NxN/apps/quorvane.png at every size the program draws it.

#include "app/AppIcon.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quorvane-icons OUTDIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (const int size : qv::app::kIconSizes) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(folder) || !qv::app::AppIconImage(size).save(folder + "/quorvane.png")) {
            std::fprintf(stderr, "quorvane-icons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
