#pragma once

#include "astro/DateTime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orbiclock {

/// The markers the clocks compare against when an event does not occur (minutes of the day far outside
/// 0..1440, so that each comparison is either always or never true).
inline constexpr std::int32_t kDawnMarker = 5000;
inline constexpr std::int32_t kSunriseMarker = 4000;
inline constexpr std::int32_t kSunsetMarker = -4000;
inline constexpr std::int32_t kDuskMarker = -5000;

/// The text the clock scripts compare the clock's minute of the day against, for one sun event.
///
/// When `Moment` (a moment whose whole part is a day number) has a whole-day part above 0 the event
/// occurs: `Moment` becomes its fraction of a day, plus 1 when `NextDayRule` is set and the fraction is
/// below 0.25 (an evening event after midnight), and `text` the event's minute of the day, Round(Moment
/// × 1440) with halves to even (a sunset at 00:10 of the next day gives "1450").
///
/// Otherwise `Moment` becomes -1.0 and `text` a marker chosen by the month of `now` (through
/// MonthFromDate) and the latitude in degrees: above 55 it is -`Marker` in April to September and
/// `Marker` in October to March; below -55 the other way round. So a place in midnight sun stays day and
/// one in polar night stays night. Between -55 and 55, where only a failed computation misses an event,
/// it is -`Marker`: the comparison with that event is then never true, and the colour follows the events
/// that were computed.
void FormatSunEventTime(double& Moment, std::int32_t Marker, bool NextDayRule, double Latitude, DateTime now,
                        std::string& text);

/// The time of day of `Moment` (whole days ignored, seconds dropped) in `Pattern`: "hh" the hour in two
/// digits, "h" without a leading zero, "nn" and "n" the minute likewise, ":" the time separator; other
/// characters are copied. A negative `Moment` gives "--:--". Example: ("h:nn", 0.25) gives "6:00".
std::string FormatClockTime(std::string_view Pattern, double Moment);

} // namespace orbiclock
