#pragma once

#include "framework/Exception.h"

namespace qv::skin {

using Exception = framework::Exception;

// Raised by the inflater for a malformed or truncated deflate stream.
QV_EXCEPTION_CLASS(EInflateError, Exception);

} // namespace qv::skin
