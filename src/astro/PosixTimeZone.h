#pragma once

#include "astro/OrbiclockError.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orbiclock {

/// A POSIX TZ string could not be read; the message names the string and what is wrong with it.
class TimeZoneRuleError : public OrbiclockError {
public:
    using OrbiclockError::OrbiclockError;
};

/// The day and time of one summer-time change of a POSIX TZ rule.
struct PosixTransitionRule {
    enum class Form {
        JulianNoLeap,  ///< "Jn": day 1 … 365 of the year, 29 February never counted
        ZeroBasedDay,  ///< "n": day 0 … 365 of the year, 29 February counted
        MonthWeekDay,  ///< "Mm.w.d": weekday d of week w (5 the last) of month m
    };
    Form form = Form::MonthWeekDay;
    std::int32_t dayOfYear = 0; ///< the day of the two day-of-year forms
    std::int32_t month = 0;     ///< 1 January … 12 December
    std::int32_t week = 0;      ///< 1 … 5, 5 meaning the last such weekday of the month
    std::int32_t weekday = 0;   ///< 0 Sunday … 6 Saturday
    /// Local time of the change in seconds after midnight of its day, in the time in force before
    /// the change; -167 … 167 hours as TZif footers allow, 2:00 when the rule names none.
    std::int32_t timeSeconds = 7200;

    friend bool operator==(const PosixTransitionRule&, const PosixTransitionRule&) = default;
};

/// The summer-time half of a POSIX TZ string.
struct PosixDaylightTime {
    std::string name;
    std::int32_t offsetSeconds = 0; ///< seconds added to local summer time to give UTC (west positive)
    PosixTransitionRule start;      ///< change from standard to summer time
    PosixTransitionRule end;        ///< change from summer back to standard time

    friend bool operator==(const PosixDaylightTime&, const PosixDaylightTime&) = default;
};

/// A parsed POSIX TZ string, "std offset [dst [offset] [,start[/time],end[/time]]]".
struct PosixTimeZone {
    std::string standardName;
    std::int32_t standardOffsetSeconds = 0; ///< seconds added to local standard time to give UTC (west positive)
    std::optional<PosixDaylightTime> daylight;

    friend bool operator==(const PosixTimeZone&, const PosixTimeZone&) = default;
};

/// Parses a POSIX TZ string (IEEE 1003.1 "TZ", with the hour range of RFC 8536 footers for the change
/// times). Names are three or more letters, or any three or more letters, digits, '+' and '-' inside
/// '<' '>'. Offsets run 0 … 24:59:59 with an optional sign; a summer time without an offset is one hour
/// ahead of standard time, and one without rules changes as the United States do ("M3.2.0,M11.1.0"),
/// as the C library does. Example: "CET-1CEST,M3.5.0,M10.5.0/3" is one hour east (offset −3600 s) with
/// summer time from the last Sunday of March 2:00 to the last Sunday of October 3:00.
/// Raises TimeZoneRuleError ("Invalid time zone rule "<text>": <reason>").
PosixTimeZone parsePosixTimeZone(std::string_view text);

} // namespace orbiclock
