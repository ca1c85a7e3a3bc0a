#include "platform/CompanionFiles.h"

#include <filesystem>

namespace qv::platform {

std::vector<std::string> CompanionFolders(const std::string& programPath) {
    const std::filesystem::path folder = std::filesystem::path(programPath).parent_path();
    if (folder.empty() || !folder.is_absolute()) return {};
    return {folder.string(), (folder / QV_PRIVATE_DIR_FROM_BIN).lexically_normal().string()};
}

std::string FindCompanionFile(const std::string& programPath, const std::string& name, int mode) {
    for (const std::string& folder : CompanionFolders(programPath)) {
        const std::string path = folder + "/" + name;
        if (::access(path.c_str(), mode) == 0) return path;
    }
    return {};
}

} // namespace qv::platform
