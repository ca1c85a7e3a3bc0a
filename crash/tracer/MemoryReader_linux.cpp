#include "crash/tracer/MemoryReader.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/uio.h>
#include <unistd.h>

namespace qv::crash {

namespace {

// Some containers forbid process_vm_readv even on oneself; once refused, reads go through a pipe,
// where the kernel reports a bad source address as EFAULT just the same.
std::atomic<bool> gVmReadRefused{false};

class TPipeReader {
public:
    TPipeReader() {
        if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) fds_[0] = fds_[1] = -1;
    }

    bool Read(uintptr_t address, void* buffer, size_t size) {
        const std::lock_guard lock(mutex_);
        if (fds_[0] < 0) return false;
        auto* out = static_cast<char*>(buffer);
        while (size > 0) {
            const size_t chunk = std::min<size_t>(size, kChunk);
            const ssize_t written = ::write(fds_[1], reinterpret_cast<const void*>(address), chunk);
            if (written <= 0) return false;
            if (::read(fds_[0], out, static_cast<size_t>(written)) != written) return false;
            address += static_cast<size_t>(written);
            out += written;
            size -= static_cast<size_t>(written);
        }
        return true;
    }

private:
    // Below the pipe's capacity, so a write never blocks and is read back at once.
    static constexpr size_t kChunk = 4096;
    std::mutex mutex_;
    int fds_[2];
};

TPipeReader& Pipe() {
    static TPipeReader pipe;
    return pipe;
}

} // namespace

bool TMemoryReader::TryRead(uintptr_t address, void* buffer, size_t size) {
    if (size == 0) return true;
    if (address == 0 || address + size < address) return false;
    if (!gVmReadRefused.load(std::memory_order_relaxed)) {
        const iovec local{buffer, size};
        const iovec remote{reinterpret_cast<void*>(address), size};
        const ssize_t read = ::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0);
        if (read >= 0) return static_cast<size_t>(read) == size;
        if (errno != EPERM && errno != ENOSYS) return false;
        gVmReadRefused.store(true, std::memory_order_relaxed);
    }
    return TryReadThroughPipe(address, buffer, size);
}

bool TMemoryReader::TryReadThroughPipe(uintptr_t address, void* buffer, size_t size) {
    if (address == 0 || address + size < address) return false;
    return Pipe().Read(address, buffer, size);
}

} // namespace qv::crash
