#include "skin/TsuiBuiltInFileTheme.h"

#include "platform/TempNames.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace qv::skin {

namespace {

namespace fs = std::filesystem;

// A temporary folder that can't be written must not keep the form from loading.
constexpr int kMaxSaveAttempts = 8;
constexpr int kMaxCounter = 1000;

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

bool SaveFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

} // namespace

std::string SkinTempName(const std::string& folder, const std::string& guid) {
    const std::string base = folder + guid;
    std::string name = base + ".ssk";
    for (int counter = 1; Exists(name); ++counter) {
        if (counter > kMaxCounter) return {};
        name = base + std::to_string(counter) + ".ssk";
    }
    return name;
}

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
    std::string name;
    for (int attempt = 0; attempt < kMaxSaveAttempts && name.empty(); ++attempt) {
        name = SkinTempName(platform::TempFolder(), platform::NewGuidText());
        if (!name.empty() && !SaveFile(name, archive)) {
            std::error_code error;
            fs::remove(name, error);
            name.clear();
        }
    }
    if (name.empty()) return;
    LoadThemeFile(name);
    std::error_code error;
    fs::remove(name, error);
}

} // namespace qv::skin
