#include "astro/Gregorian.h"

#include "astro/CheckedMath.h"
#include "astro/IntegerRange.h"
#include "astro/OrbiclockError.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace orbiclock {
namespace {

constexpr std::array<std::string_view, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 12> kMonthNames = {"January", "February", "March",     "April",
                                                          "May",     "June",     "July",      "August",
                                                          "September", "October", "November", "December"};

// Month and day enter the calendar arithmetic as 16-bit unsigned values; refuse rather than wrap.
std::int64_t asWord(std::int32_t value, const char* what)
{
    if (value < 0 || value > 65535)
        throw RangeError(std::string(what) + " out of range: " + std::to_string(value));
    return value;
}

} // namespace

void TGregorian::SetFixed(std::int32_t fixed)
{
    // Computed into locals first so that a failure leaves the date as it was.
    const std::int32_t year = GregorianYearFromFixed(fixed);
    const std::int32_t prior = checkedSub(fixed, FixedFromGregorian(year, 1, 1));
    std::int32_t correction = 0;
    if (fixed >= FixedFromGregorian(year, 3, 1))
        correction = IsGregorianLeap(year) ? 1 : 2;
    const std::int32_t month = narrowToInt32(
        Floor((12.0L * static_cast<long double>(checkedAdd(prior, correction)) + 373.0L) / 367.0L));
    const std::int32_t day = checkedAdd(checkedSub(fixed, FixedFromGregorian(year, month, 1)), 1);
    Year = year;
    Month = month;
    Day = day;
}

std::int32_t TGregorian::GetFixed() const
{
    return FixedFromGregorian(Year, Month, Day);
}

std::string TGregorian::ToLongString() const
{
    const std::string dayName = DayName(GetFixed());
    const std::string monthName = MonthName(Month);
    char text[96];
    std::snprintf(text, sizeof text, "%s, %d %s %d", dayName.c_str(), Day, monthName.c_str(), Year);
    return text;
}

bool TGregorian::Equals(const TObject& other) const
{
    const auto* date = dynamic_cast<const TGregorian*>(&other);
    return date != nullptr && IsEqual(*date);
}

std::int32_t TGregorian::FixedFromGregorian(std::int32_t year, std::int32_t month, std::int32_t day)
{
    const std::int64_t m = asWord(month, "Month");
    const std::int64_t d = asWord(day, "Day");
    const std::int64_t priorYears = static_cast<std::int64_t>(year) - 1;
    const auto y = static_cast<long double>(priorYears);
    std::int64_t correction = 0;
    if (m > 2)
        correction = IsGregorianLeap(year) ? -1 : -2;
    return narrowToInt32(365 * priorYears + Floor(y / 4.0L) - Floor(y / 100.0L) + Floor(y / 400.0L) +
                         Floor((367.0L * static_cast<long double>(m) - 362.0L) / 12.0L) + correction + d);
}

bool TGregorian::IsGregorianLeap(std::int32_t year)
{
    if (IntModulo(year, 4) != 0)
        return false;
    const std::int32_t century = IntModulo(year, 400);
    return century != 100 && century != 200 && century != 300;
}

std::int32_t TGregorian::GregorianYearFromFixed(std::int32_t fixed)
{
    std::int32_t d = checkedSub(fixed, 1);
    const std::int64_t cycles400 = Floor(static_cast<long double>(d) / 146097.0L);
    d = IntModulo(d, 146097);
    const std::int64_t centuries = Floor(static_cast<long double>(d) / 36524.0L);
    d = IntModulo(d, 36524);
    const std::int64_t cycles4 = Floor(static_cast<long double>(d) / 1461.0L);
    d = IntModulo(d, 1461);
    const std::int64_t years = Floor(static_cast<long double>(d) / 365.0L);
    const std::int64_t year = 400 * cycles400 + 100 * centuries + 4 * cycles4 + years;
    // The last day of a 400-year or of a 4-year cycle still belongs to the year counted so far.
    return narrowToInt32(centuries == 4 || years == 4 ? year : year + 1);
}

std::string TGregorian::DayName(std::int32_t fixed)
{
    return std::string(kDayNames[static_cast<std::size_t>(AdjustedModulo(checkedAdd(fixed, 1), 7) - 1)]);
}

std::string TGregorian::MonthName(std::int32_t month)
{
    return std::string(kMonthNames[static_cast<std::size_t>(AdjustedModulo(month, 12) - 1)]);
}

} // namespace orbiclock
