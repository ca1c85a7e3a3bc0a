#include "framework/DateTime.h"

#include "framework/EConvertError.h"

#include <cmath>
#include <ctime>
#include <sys/time.h>

namespace qv::framework {

namespace {
// Day number of 30 December 1899 counted from 1 January of year 1 (day 1).
constexpr long DateDelta = 693594;

long DaysBeforeYear(int year) {
    const long y = year - 1;
    return y * 365 + y / 4 - y / 100 + y / 400;
}
} // namespace

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

std::optional<TDateTime> TryEncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    long days = DaysBeforeYear(year);
    for (int m = 1; m < month; ++m)
        days += DaysInMonth(year, m);
    days += day;
    return static_cast<TDateTime>(days - DateDelta);
}

std::optional<TDateTime> TryEncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        return std::nullopt;
    const double ms = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
    return ms / (SecondsPerDay * 1000.0);
}

TDateTime EncodeDate(int year, int month, int day) {
    if (const auto value = TryEncodeDate(year, month, day)) return *value;
    throw EConvertError("Invalid argument to date encode");
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    if (const auto value = TryEncodeTime(hour, minute, second, millisecond)) return *value;
    throw EConvertError("Invalid argument to time encode");
}

DateParts DecodeDate(TDateTime value) {
    long days = static_cast<long>(std::floor(value)) + DateDelta; // day 1 = 1 January of year 1
    int year = 1 + static_cast<int>((days - 1) / 365.2425);
    while (DaysBeforeYear(year + 1) < days)
        ++year;
    while (DaysBeforeYear(year) >= days)
        --year;
    days -= DaysBeforeYear(year);
    int month = 1;
    while (days > DaysInMonth(year, month)) {
        days -= DaysInMonth(year, month);
        ++month;
    }
    return {year, month, static_cast<int>(days)};
}

TimeParts DecodeTime(TDateTime value) {
    const double fraction = value - std::floor(value);
    long ms = std::lround(fraction * SecondsPerDay * 1000.0);
    if (ms >= static_cast<long>(SecondsPerDay) * 1000) ms = static_cast<long>(SecondsPerDay) * 1000 - 1;
    return {static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
            static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
}

TDateTime Now() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm local{};
    const time_t seconds = tv.tv_sec;
    localtime_r(&seconds, &local);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                      static_cast<int>(tv.tv_usec / 1000));
}

} // namespace qv::framework
