#include "skin/TsuiBuiltInFileTheme.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace qv::skin {

namespace fs = std::filesystem;

void TsuiBuiltInFileTheme::SetThemeFile(const std::string& fileName) {
    designThemeFile_ = fileName;
    LoadThemeFile(fileName);
}

std::optional<std::string> TsuiBuiltInFileTheme::WriteSkinData() const {
    std::error_code error;
    if (designThemeFile_.empty() || !fs::is_regular_file(designThemeFile_, error)) return std::nullopt;
    std::ifstream in(designThemeFile_, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void TsuiBuiltInFileTheme::ReadSkinData(const std::string& archive) {
    LoadThemeData(archive);
}

} // namespace qv::skin
