#pragma once

#include <string>
#include <vector>

namespace qv::crash {

// The files of one delivery (the screenshot, the report for the desktop's mail program) in a
// folder of their own: made by mkdtemp in the user's temporary folder ($TMPDIR, else /tmp), so
// that nobody else may enter it, its files created anew with mode 0600 (never through a name
// that exists), and all of it removed when the delivery ends, unless the files were handed to a
// program that reads them later.
class TDeliveryFolder {
public:
    TDeliveryFolder() = default;
    ~TDeliveryFolder();
    TDeliveryFolder(const TDeliveryFolder&) = delete;
    TDeliveryFolder& operator=(const TDeliveryFolder&) = delete;

    // Writes a new file of the name, making the folder at the first file; the file's path, or
    // empty when it could not be written.
    std::string Write(const std::string& name, const std::string& bytes);
    // Leaves the folder and its files in place: a desktop mail program reads its attachments when
    // the user sends the mail, long after the hand-over; the system's temporary-file cleaning
    // takes them then.
    void Keep() { kept_ = true; }

private:
    std::string path_;
    int fd_ = -1;
    std::vector<std::string> names_;
    bool kept_ = false;
};

} // namespace qv::crash
