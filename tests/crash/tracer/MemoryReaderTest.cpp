#include "crash/tracer/MemoryReader.h"
#include "crash/symbols/ModuleCache.h"
#include "crash/tracer/CodeReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace qv::crash::test {

namespace {

// Two pages: the first readable and filled, the second inaccessible.
class GuardedPages {
public:
    GuardedPages() : size_(static_cast<size_t>(::sysconf(_SC_PAGESIZE))) {
        memory_ = static_cast<char*>(
            ::mmap(nullptr, 2 * size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        for (size_t i = 0; i < size_; ++i)
            memory_[i] = static_cast<char>(i * 7);
        ::mprotect(memory_ + size_, size_, PROT_NONE);
    }
    ~GuardedPages() { ::munmap(memory_, 2 * size_); }
    uintptr_t Address(size_t offset) const { return reinterpret_cast<uintptr_t>(memory_) + offset; }
    size_t PageSize() const { return size_; }
    const char* Data() const { return memory_; }

private:
    size_t size_;
    char* memory_;
};

using Reader = bool (*)(uintptr_t, void*, size_t);

void ChecksReader(Reader read) {
    const GuardedPages pages;
    std::vector<char> buffer(pages.PageSize());
    ASSERT_TRUE(read(pages.Address(0), buffer.data(), buffer.size()));
    EXPECT_EQ(std::memcmp(buffer.data(), pages.Data(), buffer.size()), 0);
    EXPECT_FALSE(read(pages.Address(pages.PageSize()), buffer.data(), 8)) << "inaccessible page";
    EXPECT_FALSE(read(pages.Address(pages.PageSize() - 4), buffer.data(), 8)) << "a read running into it";
    EXPECT_FALSE(read(0x10, buffer.data(), 8));
    EXPECT_FALSE(read(UINTPTR_MAX - 3, buffer.data(), 8)) << "wrapping range";

    std::vector<char> large(300000, 'q');
    std::vector<char> copy(large.size());
    ASSERT_TRUE(read(reinterpret_cast<uintptr_t>(large.data()), copy.data(), copy.size()));
    EXPECT_EQ(copy, large);
}

} // namespace

TEST(MemoryReader, ReadsMappedMemoryAndFailsCleanlyElsewhere) {
    ChecksReader(&TMemoryReader::TryRead);
}

TEST(MemoryReader, PipeFallbackBehavesTheSame) {
    ChecksReader(&TMemoryReader::TryReadThroughPipe);
}

TEST(MemoryReader, CodeReaderGivesTheBytesInPlaceFromItsCacheAndReadsTheRestDirectly) {
    ChecksReader(&TCodeReader::TryRead);
    const TModuleInfo* module =
        TModuleCache::Instance().FindModule(reinterpret_cast<uintptr_t>(&TCodeReader::TryRead));
    ASSERT_NE(module, nullptr);
    const uintptr_t boundary = (module->codeStart | 4095) + 1;
    ASSERT_LT(boundary + 8, module->codeEnd);
    // Across a page boundary, the second time from the cache.
    for (int round = 0; round < 2; ++round) {
        uint8_t bytes[16];
        ASSERT_TRUE(TCodeReader::TryRead(boundary - 8, bytes, sizeof bytes));
        EXPECT_EQ(std::memcmp(bytes, reinterpret_cast<const void*>(boundary - 8), sizeof bytes), 0);
    }
}

} // namespace qv::crash::test
