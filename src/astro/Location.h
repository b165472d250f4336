#pragma once

#include "astro/Object.h"

#include <string>
#include <utility>

namespace orbiclock {

/// A place for the sun computations. The fields are read and written directly: the sun table keeps one
/// object and moves its latitude (and zone) row by row.
class TLocation : public TObject {
public:
    TLocation() = default;

    /// Sets all five fields; `zoneHours` is the standard time's lead on universal time in hours.
    TLocation(std::string name, double latitudeDeg, double longitudeDeg, double elevationMetres, double zoneHours)
        : Name(std::move(name)), Latitude(latitudeDeg), Longitude(longitudeDeg), Elevation(elevationMetres),
          Zone(zoneHours)
    {
    }

    std::string Name;       ///< label of the place, e.g. "GMT"
    double Latitude = 0.0;  ///< degrees, north positive
    double Longitude = 0.0; ///< degrees, east positive
    double Elevation = 0.0; ///< metres above sea level; a negative value counts as 0 for sunrise and sunset
    double Zone = 0.0;      ///< hours by which standard time is ahead of universal time (5.5 allowed)
};

} // namespace orbiclock
