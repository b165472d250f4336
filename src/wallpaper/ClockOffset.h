#pragma once

#include "astro/LocationOffset.h"

#include <cstdint>

namespace orbiclock {

/// How a clock's script reaches the place's time from the computer's time (the current place's time).
struct ClockOffset {
    /// The value of the clock's `GMTOffset` variable, in hours.
    std::int32_t hours = 0;
    /// 0 for a whole-hour difference (the script adds `hours` and keeps the minute); otherwise 1..59:
    /// the script adds these minutes, plus `hours` when `hours` is 0 or more and `hours` + 1 when it
    /// is negative (the layout of the half-hour clock lines).
    std::int32_t extraMinutes = 0;

    friend bool operator==(const ClockOffset&, const ClockOffset&) = default;
};

/// The clock offset that makes a clock show the computer's time plus `difference` (the place's present
/// time minus the current place's, as ComputeLocationOffset gives it; hours and minutes may have
/// opposite signs). Only the time of day matters, so the difference is first brought within one day.
/// Examples: (4, 30) gives {4, 30}; (-4, -30), i.e. 4 h 30 min behind, gives {-6, 30};
/// (-1, 30), i.e. 30 min behind, gives {-2, 30}; (6, -15) gives {5, 45}; (-6, 0) gives {-6, 0}.
/// Raises RangeError on integer overflow.
ClockOffset clockOffsetFor(LocationOffset difference);

} // namespace orbiclock
