#pragma once

#include <QString>

namespace orbiclock {

struct LocationRow;

// The texts the place list shows for the fields of a `UserLocations` row. The same text serves for
// display and for editing. Numbers have one decimal, the half rounded away from zero.

/// Longitude without its sign, a degree sign, then "E" (0 included) or "W". Example: -0.25 gives "0.3°W".
QString tblLocationsLongitudeGetText(double longitudeDeg);
/// Latitude without its sign, a degree sign, then "N" (0 included) or "S". Example: -8.75 gives "8.8°S".
QString tblLocationsLatitudeGetText(double latitudeDeg);
/// The city's name; the current location (IDX 0) carries " (current location)" after it.
QString tblLocationsname_CityGetText(const LocationRow& row);
/// The country's name as stored.
QString tblLocationsname_CountryGetText(const LocationRow& row);
/// The standard offset in hours, "+" before values from 0 up. Example: 5.75 gives "+5.8", -3.5 "-3.5".
QString tblLocationsGMTGetText(double gmtHours);

} // namespace orbiclock
