#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace qv::server {

// Notice files that are imported as one whole: one archive (.tar.gz, .tgz, .tar, .zip), or the
// loose XML files found under a folder, or one file named on its own.
class NoticePackage {
public:
    // A notice larger than this is skipped with a message: no notice comes near it.
    static constexpr size_t kMaxNoticeBytes = 16 * 1024 * 1024;

    using NoticeSink = std::function<void(const std::string& name, const std::string& bytes)>;
    using ProblemSink = std::function<void(const std::string& name, const std::string& reason)>;

    // The packages under `path`: every archive is a package of its own, wherever it lies; the
    // loose XML files of a folder, searched recursively, make one more; a file that is no
    // archive is a package of one notice. A path that cannot be read goes to `problems`.
    static std::vector<NoticePackage> Find(const std::string& path, const ProblemSink& problems);

    const std::string& Name() const { return name_; }

    // Hands every notice file, in order, to `notice`; a file it cannot hand on (too large,
    // unreadable) to `skipped`. Raises EPackageError for an archive that cannot be read on:
    // the files before the damage have been handed on.
    void Read(const NoticeSink& notice, const ProblemSink& skipped) const;

private:
    NoticePackage(std::string name, bool archive, std::vector<std::string> files)
        : name_(std::move(name)), archive_(archive), files_(std::move(files)) {}

    void ReadArchive(const NoticeSink& notice, const ProblemSink& skipped) const;
    void ReadFiles(const NoticeSink& notice, const ProblemSink& skipped) const;

    std::string name_;
    bool archive_;
    std::vector<std::string> files_;
};

} // namespace qv::server
