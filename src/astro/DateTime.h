#pragma once

#include <cstdint>
#include <string>

namespace orbiclock {

/// The platform's date-time value: days since 30 December 1899 (day 0), the time of day as the
/// fraction. Valid dates run from 1 January 1 to 31 December 9999 of the proleptic Gregorian calendar.
/// Example: 36526.5 is 1 January 2000, 12:00.
using DateTime = double;

struct CivilDate {
    int year = 0;
    int month = 0; ///< 1 January … 12 December
    int day = 0;   ///< 1 … 31
    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

struct CivilTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

constexpr std::int32_t kMinDateTimeDay = -693593; ///< 1 January 1
constexpr std::int32_t kMaxDateTimeDay = 2958465; ///< 31 December 9999

/// True when year/month/day names a real day of years 1 to 9999.
bool isValidDate(int year, int month, int day) noexcept;

/// The date-time value of midnight at the start of the given day. Raises RangeError for an
/// invalid date ("Invalid date: 2023-02-29").
DateTime encodeDate(int year, int month, int day);

/// The fraction of a day for a time of day. Raises RangeError outside 00:00:00.000 … 23:59:59.999.
DateTime encodeTime(int hour, int minute, int second, int millisecond);

/// The day of a date-time value (its whole part, cut toward zero). Raises RangeError outside years 1 to 9999.
CivilDate decodeDate(DateTime value);

/// The time of day of a date-time value, rounded to the nearest millisecond (23:59:59.999 at most).
/// Raises RangeError outside years 1 to 9999 (and for NaN).
CivilTime decodeTime(DateTime value);

/// 1 Sunday … 7 Saturday, as the platform numbers weekdays. Raises RangeError outside years 1 to 9999.
int dayOfWeek(DateTime value);

/// The short date text of the day of a date-time value in the current LC_TIME locale (strftime "%x";
/// "01/01/00" in the C locale). Raises RangeError outside years 1 to 9999.
std::string shortDateText(DateTime value);

/// Days since 30 December 1899 of the given Gregorian day, with no range check; days_from_civil.
constexpr std::int64_t dateTimeDayFromCivil(std::int64_t year, unsigned month, unsigned day) noexcept
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yoe = static_cast<unsigned>(year - era * 400);
    const unsigned doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468 + 25569;
}

static_assert(dateTimeDayFromCivil(1899, 12, 30) == 0);
static_assert(dateTimeDayFromCivil(2000, 1, 1) == 36526);
static_assert(dateTimeDayFromCivil(1, 1, 1) == kMinDateTimeDay);
static_assert(dateTimeDayFromCivil(9999, 12, 31) == kMaxDateTimeDay);

} // namespace orbiclock
