#include "astro/DateTime.h"

#include "astro/OrbiclockError.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

namespace orbiclock {
namespace {

bool isLeap(int year) noexcept
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) noexcept
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

/// The whole day of a date-time value (cut toward zero) when it lies in years 1 to 9999; raises otherwise.
long long checkedDay(DateTime value)
{
    const long double t = std::trunc(static_cast<long double>(value));
    if (!(t >= kMinDateTimeDay && t <= kMaxDateTimeDay))
        throw RangeError("Invalid date-time value: " + std::to_string(value));
    return static_cast<long long>(t);
}

std::string dateText(int year, int month, int day)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

} // namespace

bool isValidDate(int year, int month, int day) noexcept
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

DateTime encodeDate(int year, int month, int day)
{
    if (!isValidDate(year, month, day))
        throw RangeError("Invalid date: " + dateText(year, month, day));
    return static_cast<DateTime>(dateTimeDayFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)));
}

DateTime encodeTime(int hour, int minute, int second, int millisecond)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        throw RangeError("Invalid time");
    const long long ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<DateTime>(static_cast<long double>(ms) / 86400000.0L);
}

CivilDate decodeDate(DateTime value)
{
    // civil_from_days, shifted from the 1970 epoch to 1899-12-30.
    const long long z = checkedDay(value) - 25569 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = static_cast<long long>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
    return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

CivilTime decodeTime(DateTime value)
{
    checkedDay(value); // NaN, infinities and far-off values have no time of day to round
    long double frac = std::fabs(static_cast<long double>(value) - std::trunc(static_cast<long double>(value)));
    auto ms = static_cast<long long>(std::llround(frac * 86400000.0L));
    if (ms >= 86400000)
        ms = 86399999;
    CivilTime t;
    t.millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    t.second = static_cast<int>(ms % 60);
    ms /= 60;
    t.minute = static_cast<int>(ms % 60);
    t.hour = static_cast<int>(ms / 60);
    return t;
}

int dayOfWeek(DateTime value)
{
    // Day 0 (30 December 1899) was a Saturday (7).
    const long long d = checkedDay(value);
    return static_cast<int>(((d % 7) + 7 + 6) % 7) + 1;
}

std::string shortDateText(DateTime value)
{
    const CivilDate date = decodeDate(value);
    std::tm fields{};
    fields.tm_year = date.year - 1900;
    fields.tm_mon = date.month - 1;
    fields.tm_mday = date.day;
    fields.tm_wday = dayOfWeek(value) - 1;
    fields.tm_yday = static_cast<int>(checkedDay(value) - dateTimeDayFromCivil(date.year, 1, 1));
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, "%x", &fields);
    if (length == 0)
        throw OrbiclockError("The date " + dateText(date.year, date.month, date.day) + " cannot be formatted");
    return std::string(text, length);
}

} // namespace orbiclock
