#pragma once

#include "framework/Exception.h"

namespace qv::crash {

// The crash reporter's own exception: what a fault signal or a fatal runtime error turns into.
QV_EXCEPTION_CLASS(ZorException, qv::framework::Exception);

} // namespace qv::crash
