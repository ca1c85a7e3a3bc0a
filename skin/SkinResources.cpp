#include "skin/SkinResources.h"

#include <QFile>

#include <mutex>

// The resource compiler's registration lives in a static library, so it is called explicitly;
// Q_INIT_RESOURCE must be used outside any namespace.
static void InitSkinPictures() {
    Q_INIT_RESOURCE(skin_pictures);
}

namespace qv::skin {

namespace {

void EnsureResources() {
    static std::once_flag once;
    std::call_once(once, InitSkinPictures);
}

} // namespace

std::string EmbeddedSkinArchive() {
    EnsureResources();
    QFile file(QStringLiteral(":/skin/quorvane.ssk"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
}

QImage StyleResource(const std::string& name) {
    EnsureResources();
    return QImage(QStringLiteral(":/skin/styles/") + QString::fromStdString(name) + QStringLiteral(".bmp"),
                  "BMP");
}

} // namespace qv::skin
