#include "platform/SharedMemory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::platform {

namespace {

std::string SystemName(const std::string& name) {
    return "/" + name;
}

// Maps the whole block and closes the descriptor; null on failure.
char* MapDescriptor(int fd, size_t size) {
    void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    return mapped == MAP_FAILED ? nullptr : static_cast<char*>(mapped);
}

} // namespace

std::optional<TSharedMemory> TSharedMemory::Create(const std::string& name, size_t size) {
    const int fd = ::shm_open(SystemName(name).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return std::nullopt;
    if (size == 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        ::close(fd);
        Remove(name);
        return std::nullopt;
    }
    char* data = MapDescriptor(fd, size);
    if (data == nullptr) {
        Remove(name);
        return std::nullopt;
    }
    return TSharedMemory(data, size);
}

std::optional<TSharedMemory> TSharedMemory::Open(const std::string& name) {
    const int fd = ::shm_open(SystemName(name).c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    // Judged on the open descriptor, so that the block cannot be swapped after the check.
    if (::fstat(fd, &info) != 0 || info.st_size <= 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != ::geteuid() || (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    const auto size = static_cast<size_t>(info.st_size);
    char* data = MapDescriptor(fd, size);
    if (data == nullptr) return std::nullopt;
    return TSharedMemory(data, size);
}

void TSharedMemory::Remove(const std::string& name) {
    ::shm_unlink(SystemName(name).c_str());
}

TSharedMemory::TSharedMemory(TSharedMemory&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
    other.size_ = 0;
}

TSharedMemory::~TSharedMemory() {
    if (data_ != nullptr) ::munmap(data_, size_);
}

} // namespace qv::platform
