#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace qv::platform {

// A block of named shared memory (POSIX shm_open) mapped into this process. Names are the
// design's plain names; the leading "/" of the system's name space is added here.
class TSharedMemory {
public:
    // Creates the named block with the given size, private to the user; fails when it exists.
    static std::optional<TSharedMemory> Create(const std::string& name, size_t size);
    // Opens and maps an existing block whole; fails when there is none, and when the block is not
    // this user's own: another owner, readable or writable by others, or a link. Any user may make
    // a block under any name, so only a private one is trusted.
    static std::optional<TSharedMemory> Open(const std::string& name);
    // Removes the name; the block lives on while it is mapped.
    static void Remove(const std::string& name);

    TSharedMemory(TSharedMemory&& other) noexcept;
    TSharedMemory& operator=(TSharedMemory&&) = delete;
    TSharedMemory(const TSharedMemory&) = delete;
    ~TSharedMemory();

    char* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    TSharedMemory(char* data, size_t size) : data_(data), size_(size) {}
    char* data_;
    size_t size_;
};

} // namespace qv::platform
