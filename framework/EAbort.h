#pragma once

#include "framework/Exception.h"

namespace qv::framework {

// The silent exception: it ends the event handler it leaves like any other, and is never shown
// or reported.
QV_EXCEPTION_CLASS(EAbort, Exception);

} // namespace qv::framework
