// Internet dates from reply headers. Any text gives 0 or a date within the calendar, and never
// raises; a date written in the form of RFC 1123 (or with a two-digit year) reads back as the
// date it was written from, and a numeric zone moves it by exactly its offset.
#include "framework/DateTime.h"
#include "fuzz/support/FuzzInput.h"
#include "http/text/IdInternetDate.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// A second, as a fraction of a day, with room for rounding.
constexpr double kSecond = 1.0 / qv::framework::SecondsPerDay;

void CheckAnyText(const std::string& text) {
    std::string rest = text;
    const qv::framework::TDateTime date = qv::http::ParseInternetDate(rest);
    const double latest = *qv::framework::TryEncodeDate(9999, 12, 31) + 1;
    qv::fuzz::Require(date == 0 || (date >= *qv::framework::TryEncodeDate(1, 1, 1) && date < latest),
                      "a date lies within the calendar");
    qv::http::InternetDateToLocal(text);
}

void CheckWrittenDate(const uint8_t* bytes) {
    using namespace qv;
    const int day = 1 + bytes[0] % 31, month = 1 + bytes[1] % 12;
    const bool shortYear = bytes[2] & 1;
    const int year = shortYear ? bytes[3] % 100 : 1900 + (bytes[3] | bytes[4] << 8) % 300;
    const int hour = bytes[5] % 24, minute = bytes[6] % 60, second = bytes[7] % 60;
    const int zoneMinutes = (bytes[8] % 24) * 60 + bytes[9] % 60;
    const char sign = bytes[2] & 2 ? '-' : '+';
    char written[64];
    std::snprintf(written, sizeof written, "%s, %02d %s %0*d %02d:%02d:%02d", kDays[bytes[10] % 7], day,
                  kMonths[month - 1], shortYear ? 2 : 4, year, hour, minute, second);
    const int fullYear = !shortYear ? year : year < 80 ? 2000 + year : 1900 + year;
    const auto date = framework::TryEncodeDate(fullYear, month, day);

    std::string rest = std::string(written) + " GMT";
    const framework::TDateTime read = http::ParseInternetDate(rest);
    if (!date) {
        fuzz::Require(read == 0, "an impossible date reads as 0");
        return;
    }
    const framework::TDateTime expected = *date + framework::EncodeTime(hour, minute, second, 0);
    fuzz::Require(std::fabs(read - expected) < kSecond, "a written date reads back");
    fuzz::Require(rest == "GMT", "the zone is left in the text");

    char zone[8];
    std::snprintf(zone, sizeof zone, "%c%02d%02d", sign, zoneMinutes / 60, zoneMinutes % 60);
    const double shift = http::InternetDateToLocal(std::string(written) + " " + zone) -
                         http::InternetDateToLocal(std::string(written) + " GMT");
    const double offset = (sign == '-' ? 1 : -1) * zoneMinutes / framework::MinutesPerDay;
    fuzz::Require(std::fabs(shift - offset) < kSecond, "a numeric zone moves the date by its offset");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckAnyText(std::string(reinterpret_cast<const char*>(data), size));
    if (size >= 11) CheckWrittenDate(data);
    return 0;
}
