#pragma once

#include "astro/DateTime.h"

#include <cstdint>

namespace orbiclock {

/// True for a leap year of the Gregorian calendar (every fourth year, except whole centuries that
/// are not a multiple of 400). Example: IsLeapYearOf(1900) is false, IsLeapYearOf(2000) is true.
bool IsLeapYearOf(std::int32_t year) noexcept;

/// The number of days of month 1..12 of the given year (28..31), or 0 for a month outside 1..12.
std::int32_t DaysInMonthOf(std::int32_t month, std::int32_t year) noexcept;

/// The weekday of a date-time value: 1 Monday … 7 Sunday. Raises RangeError outside years 1 to 9999.
std::int32_t WeekdayNumber(DateTime d);

/// The day (whole days since 30 December 1899) of the n-th weekday `weekday` (1 Monday … 7 Sunday)
/// of month `month` (1..12) in `year`. n counts from the start of the month for 1..4; n 0 is the last
/// such weekday of the month and -1 the one a week before it.
/// Example: NthWeekdayOfMonth(0, 7, 3, 2024) is 31 March 2024 (45382).
/// Raises RangeError for a month outside 1..12 or a year outside 1..9999.
std::int32_t NthWeekdayOfMonth(std::int32_t n, std::int32_t weekday, std::int32_t month, std::int32_t year);

/// Whether summer time is in force at the date-time value `when` for a place whose summer time starts
/// on day (startN, startJ, startM) and ends on day (endN, endJ, endM). N is the stored occurrence
/// 0 last, 1..4, 5 second-last; J is 1 Monday … 7 Sunday; M is 1 January … 12 December.
/// A change takes effect at 00:00 of its day: true from 00:00 of the start day up to, not including,
/// 00:00 of the end day. Works for both hemispheres (the next end comes before the next start).
/// Any rule value out of range gives false; equal start and end days give false.
/// Raises RangeError when `when` or the next change day lies outside years 1 to 9999.
bool IsSummerTime(std::int32_t startN, std::int32_t startJ, std::int32_t startM, std::int32_t endN,
                  std::int32_t endJ, std::int32_t endM, DateTime when);

/// The month 1..12 of the date-time value d. Shares a one-entry cache with YearFromDate: the day last
/// decoded is remembered, so repeated calls for the same day decode it only once. The cache is kept
/// per thread, so callers on different threads never see each other's entry.
/// Raises RangeError when Trunc(d) is beyond 32 bits or outside years 1 to 9999.
std::int32_t MonthFromDate(DateTime d);

/// The year of the date-time value d, through the same one-entry cache as MonthFromDate.
std::int32_t YearFromDate(DateTime d);

} // namespace orbiclock
