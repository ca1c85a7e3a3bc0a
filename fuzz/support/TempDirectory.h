#pragma once

#include <filesystem>
#include <string>

namespace qv::fuzz {

// A private temporary folder for the whole run, made the process's temporary folder (TMPDIR),
// so that a target can write its input to a file and see every file a parser leaves behind.
class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Writes the bytes to a file of the folder and answers its name.
    std::string Write(const std::string& name, const std::string& bytes) const;
    // The number of files in the folder.
    size_t FileCount() const;

private:
    std::filesystem::path path_;
};

} // namespace qv::fuzz
