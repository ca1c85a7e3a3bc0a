#pragma once

#include "framework/Exception.h"

namespace qv::crash {

using qv::framework::Exception;

QV_EXCEPTION_CLASS(EMiniStreamError, Exception);

} // namespace qv::crash
