#pragma once

#include "astro/SystemTimeZoneInfo.h"
#include "locations/LocationRow.h"

#include <string>
#include <vector>

namespace orbiclock {

/// The current location rewritten from the system's time zone, and what the rewrite could not carry.
struct SystemTimeZoneImport {
    LocationRow row;
    std::vector<std::string> notes;
};

/// The name the imported current location is given.
inline constexpr const char* kImportedZoneName = "Timezone Info from Registry";

/// The row `current` with the zone of `info`: identifiers 0, the name "Timezone Info from Registry" with
/// empty country and zone names, `GMT` −Bias ÷ 60 hours, summer time when `DaylightBias` ≠ 0, the start
/// rule from `DaylightDate` and the end rule from `StandardDate` (wDay 5 → 0 the last; Sunday 0 → 6,
/// other weekdays one less; month one less; hours 3 and 2), map position 0, 0; latitude and longitude kept.
/// The stored rules always shift by one hour: a summer shift of any other size (Lord Howe's 30 minutes)
/// is imported as no summer time, with a note saying so.
/// Example: Bias −60, DaylightBias −60, last Sunday of March to last Sunday of October gives GMT 1.0,
/// N 0, J 6, M 2 and N 0, J 6, M 9.
SystemTimeZoneImport importSystemTimeZone(const LocationRow& current, const TimeZoneInformation& info);

} // namespace orbiclock
