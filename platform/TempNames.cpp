#include "platform/TempNames.h"

#include <QDir>
#include <QUuid>

namespace qv::platform {

std::string TempFolder() {
    std::string folder = QDir::tempPath().toStdString();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string NewGuidText() {
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper().toStdString();
}

} // namespace qv::platform
