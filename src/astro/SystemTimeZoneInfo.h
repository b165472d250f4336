#pragma once

#include "astro/OrbiclockError.h"
#include "astro/PosixTimeZone.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orbiclock {

/// A calendar moment as the time-zone record holds it. In the recurring form of a summer-time change
/// `wYear` is 0, `wDay` 1 … 5 is the occurrence of the weekday in the month (5 the last) and
/// `wDayOfWeek` is 0 Sunday … 6 Saturday. All zero: no change.
struct SystemTime {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0; ///< 1 January … 12 December
    std::uint16_t wDayOfWeek = 0;
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;

    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

/// The system's time zone: local time = UTC − `Bias` in standard time and UTC − (`Bias` + `DaylightBias`)
/// from `DaylightDate` to `StandardDate`. Biases in minutes, west of Greenwich positive. A zone without
/// summer time has `DaylightBias` 0 and both dates zero.
struct TimeZoneInformation {
    std::int32_t Bias = 0;
    std::string StandardName;
    SystemTime StandardDate; ///< end of summer time
    std::int32_t StandardBias = 0;
    std::string DaylightName;
    SystemTime DaylightDate; ///< start of summer time
    std::int32_t DaylightBias = 0; ///< usually −60

    friend bool operator==(const TimeZoneInformation&, const TimeZoneInformation&) = default;
};

/// The record together with where it came from and what could not be carried over, one sentence per
/// note, for the crash report file.
struct SystemTimeZoneReading {
    TimeZoneInformation info;
    std::string source; ///< e.g. "TZ=America/New_York", "/etc/localtime"
    std::vector<std::string> notes;
};

/// A remark about the imported time zone that the crash report file records (not a failure).
class SystemTimeZoneNote : public OrbiclockError {
public:
    using OrbiclockError::OrbiclockError;
};

/// The record of a parsed POSIX zone. A summer time whose changes fall on days of the year ("Jn", "n")
/// cannot be held by the recurring form: it becomes no summer time, with a note, except the form that
/// keeps summer time all year ("0/0,J365/25"), which becomes the summer offset as standard time.
/// A summer time behind standard time (Ireland's "IST-1GMT0,M10.5.0,M3.5.0/1") becomes the same clock
/// as a summer time ahead of it: standard GMT, summer IST from the last Sunday of March.
/// Change times outside a day are clamped to 0:00 or 23:59:59.999 (the time is not what the record
/// is read for). `source` names the zone in the notes.
SystemTimeZoneReading timeZoneInformationFromPosix(const PosixTimeZone& zone, const std::string& source);

/// Where the system's zone is looked up: the TZ variable (unset: the local time file), the zone folder
/// for names in TZ (TZDIR or /usr/share/zoneinfo) and the local time file.
struct TimeZoneEnvironment {
    std::optional<std::string> tz;
    std::filesystem::path zoneInfoDir = "/usr/share/zoneinfo";
    std::filesystem::path localTimeFile = "/etc/localtime";

    /// The process's TZ and TZDIR.
    static TimeZoneEnvironment fromProcess();
};

/// The zone the C library uses for local time: TZ empty or ":" is UTC; ":name" or a name is the TZif file
/// of that name (absolute, or inside the zone folder), read through its closing POSIX rule; a TZ that
/// names no file is read as a POSIX rule. TZ unset reads the local time file; when it is missing the zone
/// is UTC. A file or TZ that cannot be read gives UTC with a note. Never raises except for lack of memory.
SystemTimeZoneReading readSystemTimeZone(const TimeZoneEnvironment& environment);

/// readSystemTimeZone for the process's own environment.
SystemTimeZoneReading readSystemTimeZone();

} // namespace orbiclock
