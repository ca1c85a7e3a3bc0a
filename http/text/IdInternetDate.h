#pragma once

#include "framework/DateTime.h"

#include <string>

namespace qv::http {

// Reads a date such as "Sun, 06 Nov 1994 08:49:37 GMT" from the front of text and
// leaves the rest (the zone) in text; 0 when text is empty or not such a date.
framework::TDateTime ParseInternetDate(std::string& text);
// "+hhmm" or "-hhmm" as a fraction of a day; 0 for anything else.
framework::TDateTime ParseZoneOffset(const std::string& text);
// Local time minus UTC now, from the C library's time zone (honouring TZ).
// Raises EIdFailedToRetreiveTimeZoneInfo when the time zone cannot be read.
framework::TDateTime LocalOffsetFromUtc();
// The internet date converted to local time. An empty or unreadable date gives 0,
// the framework's "no date", rather than a bare local offset.
framework::TDateTime InternetDateToLocal(const std::string& text);

} // namespace qv::http
