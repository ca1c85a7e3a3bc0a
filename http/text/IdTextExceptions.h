#pragma once

#include "framework/Exception.h"

namespace qv::http {

// Root of every failure of the networking classes. It lives in the text layer, the lowest of
// them, so that the text functions raise their own failures without reaching up.
QV_EXCEPTION_CLASS(EIdException, framework::Exception);

QV_EXCEPTION_CLASS(EIdFailedToRetreiveTimeZoneInfo, EIdException);

inline constexpr const char* RSFailedTimeZoneInfo = "Failed attempting to retrieve time zone information.";

} // namespace qv::http
