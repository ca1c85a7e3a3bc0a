#pragma once

#include <string>
#include <string_view>

namespace qv::test {

// A private folder in the temporary folder ($TMPDIR, else /tmp), made by mkdtemp: ours alone and
// under a name no one can guess. It goes, with everything in it, when the object goes.
class ScopedTempFolder {
public:
    // The folder's name starts with `prefix`; raises std::runtime_error when it cannot be made.
    explicit ScopedTempFolder(std::string_view prefix = "qv-test");
    ~ScopedTempFolder();
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // The path of an entry of the folder.
    std::string operator/(std::string_view name) const;
    // Writes the bytes to the entry, making the folders on its way; gives its path.
    std::string Write(std::string_view name, std::string_view bytes) const;

private:
    std::string path_;
};

// Everything the file holds; empty when it cannot be read.
std::string ReadFile(const std::string& path);

} // namespace qv::test
