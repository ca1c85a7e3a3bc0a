#include "skin/SkinResources.h"

#include "skin/archive/SkinBitmap.h"

#include <QFile>

#include <map>
#include <mutex>
#include <string_view>

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

QImage DecodeStyleResource(const std::string& name) {
    EnsureResources();
    QFile file(QStringLiteral(":/skin/styles/") + QString::fromStdString(name) + QStringLiteral(".bmp"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return DecodeSkinBitmap(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

} // namespace

std::string EmbeddedSkinArchive() {
    EnsureResources();
    QFile file(QStringLiteral(":/skin/quorvane.ssk"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
}

QImage StyleResource(const std::string& name) {
    // Every skinned control asks for its style's pictures each time its style or theme is set,
    // several times while a window is built; the pictures never change, so each is decoded once.
    static std::mutex mutex;
    static std::map<std::string, QImage, std::less<>> decoded;
    const std::lock_guard lock(mutex);
    auto found = decoded.find(name);
    if (found == decoded.end()) found = decoded.emplace(name, DecodeStyleResource(name)).first;
    return found->second;
}

} // namespace qv::skin
