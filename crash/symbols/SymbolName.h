#pragma once

#include <string>

namespace qv::crash {

// The readable name of a function from its linkage name: demangled, with the parameter list and
// what follows it (qualifiers) cut, so that stack lines stay short. Plain names pass unchanged.
std::string FunctionNameFromLinkage(const char* linkageName);

// Cuts the parameter list from a demangled function name ("ns::f(int) const" gives "ns::f").
std::string WithoutParameters(const std::string& demangled);

} // namespace qv::crash
