#pragma once

#include "framework/Exception.h"

namespace qv::framework {

QV_EXCEPTION_CLASS(EConvertError, Exception);

// Texts of the conversion errors; "%s" receives the text that failed to convert.
inline constexpr const char* SInvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* SInvalidFloat = "'%s' is not a valid floating point value";

} // namespace qv::framework
