#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv::crash {

// One module loaded in the process. bias is what the loader added to the file's addresses.
struct TModuleInfo {
    std::string path;
    std::string fileName;
    uintptr_t bias = 0;
    uintptr_t imageStart = 0;
    uintptr_t imageEnd = 0;
    uintptr_t codeStart = 0;
    uintptr_t codeEnd = 0;
    bool isProgram = false;

    bool ContainsImage(uintptr_t address) const { return address >= imageStart && address < imageEnd; }
    bool ContainsCode(uintptr_t address) const { return address >= codeStart && address < codeEnd; }
};

// The modules of this process, read from the loader's list. Entries stay valid for the life of
// the cache, even when a later Refresh() no longer finds their module.
class TModuleCache {
public:
    static TModuleCache& Instance();

    // Reads the loader's list again; needs the loader's lock, so call it ahead of any emergency.
    void Refresh();
    // The module whose image holds the address, or null. Refreshes once when nothing is known yet.
    const TModuleInfo* FindModule(uintptr_t address);
    std::vector<const TModuleInfo*> Modules();

private:
    std::vector<std::unique_ptr<TModuleInfo>> known_;
    std::vector<const TModuleInfo*> loaded_;

    void RefreshLocked();
};

} // namespace qv::crash
