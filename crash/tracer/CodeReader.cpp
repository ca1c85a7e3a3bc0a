#include "crash/tracer/CodeReader.h"

#include "crash/symbols/CacheLock.h"
#include "crash/symbols/ModuleCache.h"
#include "crash/tracer/MemoryReader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace qv::crash {

namespace {

constexpr uintptr_t kPage = 4096;
// The cache starts afresh beyond this many pages, which bounds it at 16 MB.
constexpr size_t kMaxPages = 4096;

struct TCachedPage {
    // The module the page was read for: a page of a module loaded later in the same place is
    // read anew.
    const TModuleInfo* module = nullptr;
    // Null when the page could not be read.
    std::unique_ptr<uint8_t[]> bytes;
};

// Under the cache lock.
const uint8_t* PageBytes(const TModuleInfo* module, uintptr_t page) {
    static std::unordered_map<uintptr_t, TCachedPage> pages;
    const auto known = pages.find(page);
    if (known != pages.end() && known->second.module == module) return known->second.bytes.get();
    if (pages.size() >= kMaxPages) pages.clear();
    auto bytes = std::make_unique_for_overwrite<uint8_t[]>(kPage);
    if (!TMemoryReader::TryRead(page, bytes.get(), kPage)) bytes.reset();
    TCachedPage& cached = pages[page];
    cached.module = module;
    cached.bytes = std::move(bytes);
    return cached.bytes.get();
}

} // namespace

bool TCodeReader::TryRead(uintptr_t address, void* buffer, size_t size) {
    if (size == 0) return true;
    const std::lock_guard lock(CacheLock());
    const TModuleInfo* module = TModuleCache::Instance().FindModule(address);
    if (module == nullptr || address + size < address || !module->ContainsCode(address) ||
        !module->ContainsCode(address + size - 1))
        return TMemoryReader::TryRead(address, buffer, size);
    auto* out = static_cast<uint8_t*>(buffer);
    while (size > 0) {
        const uintptr_t page = address & ~(kPage - 1);
        const size_t chunk = std::min<size_t>(size, page + kPage - address);
        const uint8_t* bytes = PageBytes(module, page);
        if (bytes == nullptr) return false;
        std::memcpy(out, bytes + (address - page), chunk);
        address += chunk;
        out += chunk;
        size -= chunk;
    }
    return true;
}

} // namespace qv::crash
