#include "framework/Format.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace qv::framework {

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        result.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);
    return result;
}

namespace {
std::string ReplaceFirst(const std::string& templ, const char* placeholder, const std::string& value) {
    const auto at = templ.find(placeholder);
    if (at == std::string::npos) return templ;
    return templ.substr(0, at) + value + templ.substr(at + 2);
}
} // namespace

std::string FormatMessage(const std::string& templ, const std::string& text) {
    return ReplaceFirst(templ, "%s", text);
}

std::string FormatMessage(const std::string& templ, long long number) {
    return ReplaceFirst(templ, "%d", std::to_string(number));
}

} // namespace qv::framework
