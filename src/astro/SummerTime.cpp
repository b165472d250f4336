#include "astro/SummerTime.h"

#include "astro/CheckedMath.h"

namespace orbiclock {
namespace {

/// The last day decoded by MonthFromDate / YearFromDate. Starts empty, so the first request of any
/// day decodes it.
struct DecodedDayCache {
    bool valid = false;
    std::int32_t key = 0;
    CivilDate date;
};

thread_local DecodedDayCache t_dayCache;

const CivilDate& decodedDay(DateTime d)
{
    const std::int32_t key = truncToInt32(static_cast<long double>(d));
    if (!t_dayCache.valid || key != t_dayCache.key) {
        // Decode first, so a failing decode leaves the previous entry intact.
        const CivilDate date = decodeDate(static_cast<DateTime>(key));
        t_dayCache.date = date;
        t_dayCache.key = key;
        t_dayCache.valid = true;
    }
    return t_dayCache.date;
}

bool inRange(std::int32_t value, std::int32_t low, std::int32_t high) noexcept
{
    return value >= low && value <= high;
}

/// The next day on which the rule (n, weekday, month) falls that is strictly later than `when`.
std::int32_t nextRuleDayAfter(std::int32_t n, std::int32_t weekday, std::int32_t month, std::int32_t year,
                              DateTime when)
{
    std::int32_t day = NthWeekdayOfMonth(n, weekday, month, year);
    if (static_cast<DateTime>(day) <= when)
        day = NthWeekdayOfMonth(n, weekday, month, checkedAdd(year, 1));
    return day;
}

} // namespace

bool IsLeapYearOf(std::int32_t year) noexcept
{
    bool leap = false;
    if (year % 4 == 0)
        leap = true;
    if (year % 100 == 0)
        leap = false;
    if (year % 400 == 0)
        leap = true;
    return leap;
}

std::int32_t DaysInMonthOf(std::int32_t month, std::int32_t year) noexcept
{
    switch (month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
        return 31;
    case 4: case 6: case 9: case 11:
        return 30;
    case 2:
        return IsLeapYearOf(year) ? 29 : 28;
    default:
        return 0;
    }
}

std::int32_t WeekdayNumber(DateTime d)
{
    const int sundayFirst = dayOfWeek(d); // 1 Sunday … 7 Saturday
    return sundayFirst == 1 ? 7 : sundayFirst - 1;
}

std::int32_t NthWeekdayOfMonth(std::int32_t n, std::int32_t weekday, std::int32_t month, std::int32_t year)
{
    const auto first = static_cast<std::int32_t>(encodeDate(year, month, 1));
    const auto last = static_cast<std::int32_t>(encodeDate(year, month, DaysInMonthOf(month, year)));
    const std::int32_t firstWeekday = WeekdayNumber(first);
    const std::int32_t lastWeekday = WeekdayNumber(last);

    if (n <= 0) {
        // Count back from the last day of the month.
        std::int32_t d = 0;
        if (lastWeekday > weekday)
            d = weekday - lastWeekday;
        else if (lastWeekday < weekday)
            d = -((lastWeekday + 7 - weekday) % 7);
        return checkedAdd(checkedAdd(last, d), checkedMul(7, n));
    }
    // Count forward from the first day of the month.
    std::int32_t d = 0;
    if (firstWeekday < weekday)
        d = weekday - firstWeekday;
    else if (firstWeekday > weekday)
        d = (weekday + 7 - firstWeekday) % 7;
    return checkedAdd(checkedAdd(first, d), checkedMul(7, checkedSub(n, 1)));
}

bool IsSummerTime(std::int32_t startN, std::int32_t startJ, std::int32_t startM, std::int32_t endN,
                  std::int32_t endJ, std::int32_t endM, DateTime when)
{
    if (!inRange(startN, 0, 5) || !inRange(endN, 0, 5) || !inRange(startJ, 1, 7) || !inRange(endJ, 1, 7) ||
        !inRange(startM, 1, 12) || !inRange(endM, 1, 12))
        return false;

    // The stored "Second Last" (5) is one week before the last (0).
    if (startN == 5)
        startN = -1;
    if (endN == 5)
        endN = -1;

    const std::int32_t year = YearFromDate(when);
    const std::int32_t nextStart = nextRuleDayAfter(startN, startJ, startM, year, when);
    const std::int32_t nextEnd = nextRuleDayAfter(endN, endJ, endM, year, when);
    return nextEnd < nextStart;
}

std::int32_t MonthFromDate(DateTime d)
{
    return decodedDay(d).month;
}

std::int32_t YearFromDate(DateTime d)
{
    return decodedDay(d).year;
}

} // namespace orbiclock
