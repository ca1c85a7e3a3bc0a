#include "crash/symbols/ExportTable.h"

#include "crash/symbols/ElfFile.h"

#include <algorithm>

namespace qv::crash {

void TExportTable::Load(const TModuleInfo& module) {
    functions_.clear();
    const TElfFile file(module.path);
    if (!file.IsOpen()) return;
    for (TElfSymbol& symbol : file.DynamicFunctions())
        functions_.push_back({true, TMfKind::Code, std::move(symbol.name), module.bias + symbol.address});
    if (const uint64_t entry = file.EntryPoint(); entry != 0)
        functions_.push_back({true, TMfKind::Code, std::string(), module.bias + entry});
    // A named export wins over the unnamed entry point at the same address.
    std::stable_sort(functions_.begin(), functions_.end(), [](const TMfPublic& a, const TMfPublic& b) {
        return a.address != b.address ? a.address < b.address : !a.name.empty() && b.name.empty();
    });
}

const TMfPublic* TExportTable::FunctionAt(uintptr_t address) const {
    auto it = std::upper_bound(functions_.begin(), functions_.end(), address,
                               [](uintptr_t a, const TMfPublic& f) { return a < f.address; });
    if (it == functions_.begin()) return nullptr;
    --it;
    // Several names may share an address; the first of them is the one to show.
    while (it != functions_.begin() && (it - 1)->address == it->address)
        --it;
    return &*it;
}

const TMfPublic* TExportTable::FunctionExactlyAt(uintptr_t address) const {
    const TMfPublic* found = FunctionAt(address);
    return found != nullptr && found->address == address && !found->name.empty() ? found : nullptr;
}

uintptr_t TExportTable::NextFunctionAfter(uintptr_t address) const {
    const auto it = std::upper_bound(functions_.begin(), functions_.end(), address,
                                     [](uintptr_t a, const TMfPublic& f) { return a < f.address; });
    return it != functions_.end() ? it->address : 0;
}

} // namespace qv::crash
