#include "tests/support/ScopedEnvironment.h"

#include <cstdlib>

namespace qv::test {

namespace {

void Set(const char* name, const std::optional<std::string>& value) {
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

} // namespace

ScopedEnvironment::ScopedEnvironment(
    std::initializer_list<std::pair<const char*, std::optional<std::string>>> values) {
    for (const auto& [name, value] : values) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
        Set(name, value);
    }
}

ScopedEnvironment::~ScopedEnvironment() {
    for (const auto& [name, value] : saved_)
        Set(name.c_str(), value);
}

} // namespace qv::test
