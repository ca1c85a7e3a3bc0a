#pragma once

#include "framework/Exception.h"

namespace qv::framework {

QV_EXCEPTION_CLASS(EListError, Exception);

inline constexpr const char* SListIndexError = "List index out of bounds (%d)";

} // namespace qv::framework
