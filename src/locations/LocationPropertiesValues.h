#pragma once

// The arithmetic between a stored place and the controls of the location properties dialog:
// signed values split into a side, a whole part and whole minutes, and joined back. No widgets here.

#include "locations/LocationRow.h"

#include <array>
#include <cstdint>
#include <string>

namespace orbiclock {

/// Positions of the side lists ("S"/"N", "W"/"E"): 0 the negative side, 1 the positive side.
constexpr int kNegativeSide = 0;
constexpr int kPositiveSide = 1;

/// The side list position of a signed value: 1 for a value ≥ 0 (so exactly 0 is north or east),
/// 0 for a negative value.
constexpr int sidePositionOf(double value) noexcept
{
    return value >= 0.0 ? kPositiveSide : kNegativeSide;
}

/// The sign a side list position stands for: −1 for position 0, +1 for any other position
/// (an unselected list, −1, counts as positive).
constexpr long double sideFactor(int position) noexcept
{
    return position == kNegativeSide ? -1.0L : 1.0L;
}

/// One row of side list, whole-part spinner and minutes spinner.
struct SplitValue {
    int side = kPositiveSide;   ///< side list position
    std::int32_t whole = 0;     ///< whole degrees or hours
    double minutes = 0.0;       ///< minutes of arc or of time; whole when split from a stored value

    friend bool operator==(const SplitValue&, const SplitValue&) = default;
};

/// Splits a signed value (degrees or hours) into its side, the truncated whole part of its absolute
/// value and the truncated whole minutes of the rest (the fraction times 60).
/// A value a whole number of minutes stands for is never shown one minute short because its stored
/// double lies a few ulps below it: minutes within 1e-9 of the next whole minute count as that minute
/// (60 carries into the whole part). Raises RangeError when the value does not fit in 32 bits (or is NaN).
/// Example: 2.51 → side 1, 2, 30; −3.5 → side 0, 3, 30; 5.75 → side 1, 5, 45.
SplitValue splitIntoMinutes(double value);

/// A latitude or longitude in degrees from the controls: (minutes ÷ 60 + whole degrees) × side factor.
/// The minutes keep their decimals.
double joinCoordinate(const SplitValue& parts);

/// An offset in hours from the controls: (minutes ÷ 60 + hours) × side factor, both spinner values
/// first rounded to whole numbers (halves to even). Raises RangeError for values beyond 32 bits.
double joinOffset(int side, long double hours, long double minutes);

/// Lowest and highest value of the position spinners.
constexpr std::int32_t kMinMapPosition = 0;
constexpr std::int32_t kMaxMapPosition = 1600;

/// A pixel position on the reference map.
struct MapPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const MapPoint&, const MapPoint&) = default;
};

/// The position spinners' values for a place: the map projection of the coordinates (degrees),
/// each clamped into 0 … 1600 as the spinners hold them.
MapPoint mapPositionOf(double latitudeDeg, double longitudeDeg);

/// Where the reference map's top-left corner goes inside the preview panel so that the map pixel
/// `position` lands on the panel point (round(width ÷ 2), round(height ÷ 2)), halves to even.
/// Example: a 502 × 435 panel puts the map pixel on panel point (251, 218).
MapPoint previewOrigin(std::int32_t panelWidth, std::int32_t panelHeight, MapPoint position);

/// The list position that a stored rule code selects, or −1 (no selection) when it lies outside the
/// list's `entries`.
constexpr int rulePosition(std::int32_t stored, int entries) noexcept
{
    return stored >= 0 && stored < entries ? static_cast<int>(stored) : -1;
}

/// The rule lists in their order on the dialog and in the row: start occurrence, weekday and month,
/// end occurrence, weekday and month.
enum RuleList : int { kN_Summer, kJ_Summer, kM_Summer, kN_Winter, kJ_Winter, kM_Winter, kRuleListCount };

/// The number of entries of each rule list.
constexpr std::array<int, kRuleListCount> kRuleListEntries{6, 7, 12, 6, 7, 12};

/// The hours the rules are stored with; nothing reads them.
constexpr std::int32_t kSummerStartHour = 3;
constexpr std::int32_t kSummerEndHour = 2;

/// Everything the dialog shows of a place, in the controls' own terms.
struct LocationPropertiesValues {
    std::int32_t cityTag = 0;       ///< id_City
    std::string cityName;
    std::int32_t countryTag = 0;    ///< id_Country
    std::string countryName;
    std::int32_t zoneTag = 0;       ///< id_Timezone
    SplitValue latitude;
    SplitValue longitude;
    SplitValue offset;              ///< hours and minutes of time
    MapPoint position;
    bool usesSummerTime = false;
    std::array<int, kRuleListCount> rules{}; ///< list positions, −1 for no selection

    friend bool operator==(const LocationPropertiesValues&, const LocationPropertiesValues&) = default;
};

/// The controls' values for a stored row: identifiers and names as stored, coordinates and offset
/// split into side, whole part and whole minutes, the stored map position, and the rule codes as
/// list positions (−1 for a code outside its list).
LocationPropertiesValues valuesFromRow(const LocationRow& row);

/// Writes the controls' values into `row`, leaving its `IDX` and `name_Timezone` alone: identifiers,
/// names (the city name cut to 75 characters), offset (`joinOffset`), the summer-time flag, the rule
/// positions (−1 for an unselected list) with the hours 3 and 2, latitude and longitude
/// (`joinCoordinate`), then the map position.
void writeValuesIntoRow(const LocationPropertiesValues& values, LocationRow& row);

} // namespace orbiclock
