#pragma once

#include <optional>

namespace qv::framework {

// The framework's date-time value: whole days since 30 December 1899 plus the
// time of day as a fraction of a day. 0 stands for "no date".
using TDateTime = double;

inline constexpr double HoursPerDay = 24;
inline constexpr double MinutesPerDay = 24 * 60;
inline constexpr double SecondsPerDay = 24 * 60 * 60;

struct DateParts {
    int year;
    int month;
    int day;
};

struct TimeParts {
    int hour;
    int minute;
    int second;
    int millisecond;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// Nothing for a date outside 1..9999 or an impossible day or month.
std::optional<TDateTime> TryEncodeDate(int year, int month, int day);
// Nothing for hours above 23, minutes or seconds above 59, milliseconds above 999.
std::optional<TDateTime> TryEncodeTime(int hour, int minute, int second, int millisecond);
// Raise EConvertError on invalid parts.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
DateParts DecodeDate(TDateTime value);
TimeParts DecodeTime(TDateTime value);
// Local date and time now.
TDateTime Now();

} // namespace qv::framework
