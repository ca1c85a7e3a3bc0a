#pragma once

#include "framework/Exception.h"

namespace qv::server {

// A failure of the database behind the service, whichever it is.
QV_EXCEPTION_CLASS(EDatabaseError, framework::Exception);

} // namespace qv::server
