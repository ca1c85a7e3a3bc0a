#include "crash/ExceptionInfo.h"

#include "framework/EAbort.h"

#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace qv::crash {

namespace {

std::string Demangled(const char* mangled) {
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(mangled);
}

} // namespace

TExceptionInfo TExceptionInfo::Describe(const std::exception_ptr& exception) {
    TExceptionInfo info;
    if (!exception) return info;
    info.present = true;
    try {
        std::rethrow_exception(exception);
    } catch (const framework::Exception& e) {
        info.className = e.ClassName();
        info.message = e.Message();
        info.isAbort = dynamic_cast<const framework::EAbort*>(&e) != nullptr;
    } catch (const std::exception& e) {
        info.className = Demangled(typeid(e).name());
        info.message = e.what();
    } catch (...) {
        const std::type_info* type = abi::__cxa_current_exception_type();
        info.className = type != nullptr ? Demangled(type->name()) : "Unknown";
        info.message = info.className;
    }
    return info;
}

} // namespace qv::crash
