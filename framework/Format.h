#pragma once

#include <string>

namespace qv::framework {

// printf-style formatting into a std::string (the framework's Format).
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Replaces the first "%s" of a message template with the given text and the
// first "%d" with the given number; used for the system's fixed message texts.
std::string FormatMessage(const std::string& templ, const std::string& text);
std::string FormatMessage(const std::string& templ, long long number);

} // namespace qv::framework
