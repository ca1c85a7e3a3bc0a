#include "platform/TempNames.h"

#include <QDir>

namespace qv::platform {

std::string TempFolder() {
    std::string folder = QDir::tempPath().toStdString();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

} // namespace qv::platform
