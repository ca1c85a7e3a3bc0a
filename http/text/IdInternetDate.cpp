#include "http/text/IdInternetDate.h"

#include "framework/Conversions.h"
#include "http/text/IdTextExceptions.h"
#include "http/text/IdTextFunctions.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <optional>

namespace qv::http {

namespace {
// Plain decimal digits only; the nine-digit limit keeps the value inside 32 bits.
std::optional<int> TryDecimal(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

void SkipBlanks(std::string& text) {
    text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
}

std::string NextWord(std::string& text) {
    SkipBlanks(text);
    return SplitAt(text, " ", true);
}

std::optional<framework::TDateTime> TryParseInternetDate(std::string& text) {
    text = framework::Trim(text);
    if (text.empty()) return std::nullopt;
    if (DayNameIndex(text.substr(0, 3)) > 0) SplitAt(text, " ", true);

    const int day = TryDecimal(NextWord(text)).value_or(1);
    const int month = MonthNameIndex(NextWord(text));
    int year = TryDecimal(NextWord(text)).value_or(1900);
    if (year < 80)
        year += 2000;
    else if (year < 100)
        year += 1900;
    auto date = framework::TryEncodeDate(year, month, day);
    if (!date) return std::nullopt;

    if (TextPos(":", text) > 0) {
        std::string time = NextWord(text);
        const int hours = TryDecimal(SplitAt(time, ":", true)).value_or(0);
        const int minutes = TryDecimal(SplitAt(time, ":", true)).value_or(0);
        const int seconds = TryDecimal(time).value_or(0);
        const auto timeOfDay = framework::TryEncodeTime(hours, minutes, seconds, 0);
        if (!timeOfDay) return std::nullopt;
        *date += *timeOfDay;
    }
    SkipBlanks(text);
    return date;
}
} // namespace

framework::TDateTime ParseInternetDate(std::string& text) {
    return TryParseInternetDate(text).value_or(0);
}

framework::TDateTime ParseZoneOffset(const std::string& text) {
    const std::string zone = framework::Trim(text).substr(0, 5);
    if (zone.size() < 5 || (zone[0] != '+' && zone[0] != '-')) return 0;
    const auto hours = TryDecimal(zone.substr(1, 2));
    const auto minutes = TryDecimal(zone.substr(3, 2));
    if (!hours || !minutes) return 0;
    const auto offset = framework::TryEncodeTime(*hours, *minutes, 0, 0);
    if (!offset) return 0;
    return zone[0] == '-' ? -*offset : *offset;
}

framework::TDateTime LocalOffsetFromUtc() {
    // tzset makes a changed TZ count; localtime_r alone may keep the zone it read first.
    tzset();
    const time_t now = time(nullptr);
    std::tm local{};
    if (now == static_cast<time_t>(-1) || localtime_r(&now, &local) == nullptr)
        throw EIdFailedToRetreiveTimeZoneInfo(std::string(RSFailedTimeZoneInfo));
    // The bias is UTC minus local time in whole minutes; real zones stay within a day of UTC.
    const long bias = -local.tm_gmtoff / 60;
    if (std::labs(bias) >= 24 * 60) throw EIdFailedToRetreiveTimeZoneInfo(std::string(RSFailedTimeZoneInfo));
    const framework::TDateTime offset = framework::EncodeTime(static_cast<int>(std::labs(bias) / 60),
                                                              static_cast<int>(std::labs(bias) % 60), 0, 0);
    return bias > 0 ? -offset : offset;
}

framework::TDateTime InternetDateToLocal(const std::string& text) {
    std::string rest = text;
    const auto date = TryParseInternetDate(rest);
    if (!date) return 0;
    const framework::TDateTime zoneOffset = rest.size() > 4 ? ParseZoneOffset(rest) : 0;
    return *date - zoneOffset + LocalOffsetFromUtc();
}

} // namespace qv::http
