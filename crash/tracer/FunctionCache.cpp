#include "crash/tracer/FunctionCache.h"

#include "crash/symbols/CacheLock.h"
#include "crash/symbols/MapFileCache.h"
#include "crash/symbols/ModuleCache.h"
#include "crash/symbols/SymbolLookup.h"
#include "crash/tracer/FunctionAnalyzer.h"

namespace qv::crash {

namespace {

TFunctionInfo AnalyzeInModule(uintptr_t start) {
    const TModuleInfo* module = TModuleCache::Instance().FindModule(start);
    if (module == nullptr || !module->ContainsCode(start)) {
        TFunctionInfo none;
        none.start = start;
        return none;
    }
    TMapFileCache& symbols = TMapFileCache::Instance();
    uintptr_t limit = symbols.HasSymbols(*module) ? symbols.NextPublicAfter(*module, start)
                                                  : symbols.Exports(*module).NextFunctionAfter(start);
    if (limit == 0 || limit > module->codeEnd) limit = module->codeEnd;
    TFunctionInfo info = TFunctionAnalyzer::Analyze(start, limit);
    info.name = PublicNameAt(start);
    return info;
}

} // namespace

TFunctionCache& TFunctionCache::Instance() {
    static TFunctionCache cache;
    return cache;
}

const TFunctionInfo& TFunctionCache::Function(uintptr_t start) {
    const std::lock_guard lock(CacheLock());
    auto& entry = functions_[start];
    if (!entry) entry = std::make_unique<TFunctionInfo>(AnalyzeInModule(start));
    return *entry;
}

} // namespace qv::crash
