#include "crash/symbols/SymbolName.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>

namespace qv::crash {

std::string WithoutParameters(const std::string& demangled) {
    const size_t close = demangled.rfind(')');
    if (close == std::string::npos) return demangled;
    int depth = 0;
    for (size_t i = close + 1; i-- > 0;) {
        if (demangled[i] == ')') ++depth;
        if (demangled[i] == '(' && --depth == 0) return i == 0 ? demangled : demangled.substr(0, i);
    }
    return demangled;
}

std::string FunctionNameFromLinkage(const char* linkageName) {
    if (linkageName[0] != '_' || linkageName[1] != 'Z') return linkageName;
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(linkageName, nullptr, nullptr, &status), &std::free);
    if (status != 0 || !demangled) return linkageName;
    return WithoutParameters(demangled.get());
}

} // namespace qv::crash
