#pragma once

#include "skin/TsuiFileTheme.h"

#include <optional>
#include <string>

namespace qv::skin {

// A file theme whose skin archive travels inside the form data as the binary property SkinData.
// ThemeFile keeps reading the path the form's designer chose; the skin actually loaded comes
// from SkinData through a temporary file.
class TsuiBuiltInFileTheme : public TsuiFileTheme {
public:
    using TsuiFileTheme::TsuiFileTheme;

    const std::string& ThemeFile() const override { return designThemeFile_; }
    void SetThemeFile(const std::string& fileName) override;

    // SkinData as the form writes it: the bytes of the file ThemeFile names, unchanged; nothing
    // when that file doesn't exist.
    std::optional<std::string> WriteSkinData() const;
    // SkinData as the form reads it: the archive is saved under a fresh ".ssk" temporary name,
    // loaded from there as the theme's file, and the temporary file deleted.
    void ReadSkinData(const std::string& archive);

private:
    std::string designThemeFile_;
};

// The first free name among FOLDER GUID ".ssk", FOLDER GUID "1.ssk", FOLDER GUID "2.ssk", ...;
// empty when a thousand of them are taken.
std::string SkinTempName(const std::string& folder, const std::string& guid);

} // namespace qv::skin
