#pragma once

#include "skin/TsuiFileTheme.h"

#include <optional>
#include <string>

namespace qv::skin {

// A file theme whose skin archive travels inside the form data as the binary property SkinData.
// ThemeFile keeps reading the path the form's designer chose; the skin actually loaded comes
// from SkinData, read in memory.
class TsuiBuiltInFileTheme : public TsuiFileTheme {
public:
    using TsuiFileTheme::TsuiFileTheme;

    const std::string& ThemeFile() const override { return designThemeFile_; }
    void SetThemeFile(const std::string& fileName) override;

    // SkinData as the form writes it: the bytes of the file ThemeFile names, unchanged; nothing
    // when that file doesn't exist.
    std::optional<std::string> WriteSkinData() const;
    // SkinData as the form reads it: the archive is loaded from memory, so that the skin shows
    // whatever state the temporary folder is in.
    void ReadSkinData(const std::string& archive);

private:
    std::string designThemeFile_;
};

} // namespace qv::skin
