#pragma once

#include "framework/DateTime.h"

#include <optional>
#include <string>
#include <string_view>

namespace qv::server {

// Dates and times as XML Schema writes them ("2024-06-25+02:00", "12:00:00Z").
class XsDate {
public:
    // The date part of an xs:date; nothing for text that is not a date.
    static std::optional<framework::DateParts> Parse(std::string_view text);
    // "25/06/2024", or the text as it stands when it is not a date.
    static std::string FormatDate(std::string_view text);
    // "12:00 (UTC+02:00)" for an xs:time, or the text as it stands when it is not a time.
    static std::string FormatTime(std::string_view text);
};

} // namespace qv::server
