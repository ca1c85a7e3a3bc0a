#pragma once

#include <string>

namespace qv::platform {

// One writer at a time in a key folder of the registry store, across threads and processes (an
// advisory lock on the folder itself), waited for at most kWaitMs. While it is held no writer of
// ours is half-way, so temporary value files that a crash left behind can go.
class TKeyFolderLock {
public:
    static constexpr int kWaitMs = 5000;

    explicit TKeyFolderLock(const std::string& folder);
    ~TKeyFolderLock();
    TKeyFolderLock(const TKeyFolderLock&) = delete;
    TKeyFolderLock& operator=(const TKeyFolderLock&) = delete;

    bool Held() const { return fd_ >= 0; }
    // Removes the temporary files beside the value file that no writer will finish.
    void RemoveStaleTemporaryFiles(const std::string& valueFile) const;

private:
    int fd_ = -1;
};

// Makes each folder from the first down to the last (a path below it) private to the user
// (0700) where it is the user's and others may enter it.
void TightenFolders(const std::string& first, const std::string& last);

} // namespace qv::platform
