#include "crash/symbols/ModuleCache.h"

#include "crash/symbols/CacheLock.h"

#include <algorithm>
#include <climits>
#include <link.h>
#include <unistd.h>

namespace qv::crash {

namespace {

std::string ProgramPath() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

TModuleInfo Describe(const dl_phdr_info& info, bool first) {
    TModuleInfo module;
    module.isProgram = first && (info.dlpi_name == nullptr || info.dlpi_name[0] == '\0');
    module.path =
        module.isProgram ? ProgramPath() : std::string(info.dlpi_name != nullptr ? info.dlpi_name : "");
    module.fileName = module.path.substr(module.path.find_last_of('/') + 1);
    module.bias = info.dlpi_addr;
    module.imageStart = UINTPTR_MAX;
    module.codeStart = UINTPTR_MAX;
    for (int i = 0; i < info.dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info.dlpi_phdr[i];
        if (header.p_type != PT_LOAD) continue;
        const uintptr_t start = info.dlpi_addr + header.p_vaddr;
        const uintptr_t end = start + header.p_memsz;
        module.imageStart = std::min(module.imageStart, start);
        module.imageEnd = std::max(module.imageEnd, end);
        if ((header.p_flags & PF_X) != 0) {
            module.codeStart = std::min(module.codeStart, start);
            module.codeEnd = std::max(module.codeEnd, end);
        }
    }
    if (module.codeStart == UINTPTR_MAX) module.codeStart = module.codeEnd = 0;
    return module;
}

int Collect(dl_phdr_info* info, size_t, void* data) {
    auto* modules = static_cast<std::vector<TModuleInfo>*>(data);
    TModuleInfo module = Describe(*info, modules->empty());
    if (module.imageEnd > module.imageStart) modules->push_back(std::move(module));
    return 0;
}

} // namespace

TModuleCache& TModuleCache::Instance() {
    static TModuleCache cache;
    return cache;
}

void TModuleCache::Refresh() {
    const std::lock_guard lock(CacheLock());
    RefreshLocked();
}

void TModuleCache::RefreshLocked() {
    std::vector<TModuleInfo> current;
    dl_iterate_phdr(Collect, &current);
    loaded_.clear();
    for (TModuleInfo& module : current) {
        auto same = std::find_if(known_.begin(), known_.end(), [&](const auto& k) {
            return k->path == module.path && k->bias == module.bias && k->imageStart == module.imageStart;
        });
        if (same == known_.end())
            same = known_.insert(known_.end(), std::make_unique<TModuleInfo>(std::move(module)));
        loaded_.push_back(same->get());
    }
    std::sort(loaded_.begin(), loaded_.end(), [](auto* a, auto* b) { return a->imageStart < b->imageStart; });
}

const TModuleInfo* TModuleCache::FindModule(uintptr_t address) {
    const std::lock_guard lock(CacheLock());
    if (loaded_.empty()) RefreshLocked();
    const auto it = std::upper_bound(loaded_.begin(), loaded_.end(), address,
                                     [](uintptr_t a, const TModuleInfo* m) { return a < m->imageStart; });
    if (it == loaded_.begin()) return nullptr;
    const TModuleInfo* module = *(it - 1);
    return module->ContainsImage(address) ? module : nullptr;
}

std::vector<const TModuleInfo*> TModuleCache::Modules() {
    const std::lock_guard lock(CacheLock());
    if (loaded_.empty()) RefreshLocked();
    return loaded_;
}

} // namespace qv::crash
