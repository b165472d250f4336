#pragma once

#include "astro/CheckedMath.h"

#include <cstdint>

namespace orbiclock {

/// The fixed day number of date-time day 0 (30 December 1899). Fixed day 1 is Monday 1 January of year 1.
constexpr std::int32_t kFixedOfDateTimeZero = 693594;

/// The fixed day number of a whole-day date-time value (days since 30 December 1899; the caller
/// truncates, e.g. with truncToInt32). Raises RangeError "Integer overflow" when the sum leaves 32 bits,
/// i.e. for dateTimeDay > 2146790053.
/// Example: FixedFromDateTime(0) = 693594, FixedFromDateTime(36526) = 730120 (1 January 2000).
inline std::int32_t FixedFromDateTime(std::int32_t dateTimeDay)
{
    return checkedAdd(dateTimeDay, kFixedOfDateTimeZero);
}

} // namespace orbiclock
