#include "locations/LocationPropertiesValues.h"

#include "astro/CheckedMath.h"
#include "astro/MapProjection.h"
#include "locations/LocationStore.h"

#include <algorithm>
#include <cmath>

namespace orbiclock {
namespace {

// How close below a whole minute the minutes of a stored value may fall and still count as it. A double
// of up to 180 is exact to about 3e-14 degrees, 2e-12 minutes; 1e-9 minutes is far above that noise and
// far below anything a user types (the spinners keep two decimals).
constexpr long double kMinuteTolerance = 1e-9L;

std::int32_t clampPosition(std::int32_t value)
{
    return std::clamp(value, kMinMapPosition, kMaxMapPosition);
}

} // namespace

SplitValue splitIntoMinutes(double value)
{
    SplitValue parts;
    parts.side = sidePositionOf(value);
    const long double magnitude = std::fabs(static_cast<long double>(value));
    parts.whole = truncToInt32(magnitude);
    const long double rest = magnitude - static_cast<long double>(parts.whole);
    std::int32_t minutes = truncToInt32(rest * 60.0L + kMinuteTolerance);
    if (minutes >= 60) {
        parts.whole = checkedAdd(parts.whole, 1);
        minutes = 0;
    }
    parts.minutes = minutes;
    return parts;
}

double joinCoordinate(const SplitValue& parts)
{
    const long double value = (static_cast<long double>(parts.minutes) / 60.0L + parts.whole) * sideFactor(parts.side);
    return static_cast<double>(value);
}

double joinOffset(int side, long double hours, long double minutes)
{
    const std::int32_t wholeMinutes = roundHalfEvenToInt32(minutes);
    const std::int32_t wholeHours = roundHalfEvenToInt32(hours);
    const long double value = (static_cast<long double>(wholeMinutes) / 60.0L + wholeHours) * sideFactor(side);
    return static_cast<double>(value);
}

MapPoint mapPositionOf(double latitudeDeg, double longitudeDeg)
{
    return {clampPosition(LongitudeToMapX(longitudeDeg)), clampPosition(LatitudeToMapY(latitudeDeg))};
}

MapPoint previewOrigin(std::int32_t panelWidth, std::int32_t panelHeight, MapPoint position)
{
    const std::int32_t centreX = roundHalfEvenToInt32(static_cast<long double>(panelWidth) / 2.0L);
    const std::int32_t centreY = roundHalfEvenToInt32(static_cast<long double>(panelHeight) / 2.0L);
    return {checkedSub(centreX, position.x), checkedSub(centreY, position.y)};
}

LocationPropertiesValues valuesFromRow(const LocationRow& row)
{
    LocationPropertiesValues v;
    v.cityName = row.name_City;
    v.cityTag = row.id_City;
    v.countryName = row.name_Country;
    v.countryTag = row.id_Country;
    v.zoneTag = row.id_Timezone;
    v.latitude = splitIntoMinutes(row.Latitude);
    v.longitude = splitIntoMinutes(row.Longitude);
    v.offset = splitIntoMinutes(row.GMT);
    v.position = {row.PosX, row.PosY};
    v.usesSummerTime = row.UsesSummerTime;
    const std::array<std::int32_t, kRuleListCount> stored{row.N_summer, row.J_summer, row.M_summer,
                                                          row.N_winter, row.J_winter, row.M_winter};
    for (int i = 0; i < kRuleListCount; ++i)
        v.rules[i] = rulePosition(stored[i], kRuleListEntries[i]);
    return v;
}

void writeValuesIntoRow(const LocationPropertiesValues& values, LocationRow& row)
{
    row.id_City = values.cityTag;
    row.name_City = cutCityName(values.cityName);
    row.id_Country = values.countryTag;
    row.name_Country = values.countryName;
    row.id_Timezone = values.zoneTag;
    row.GMT = joinOffset(values.offset.side, values.offset.whole, values.offset.minutes);
    row.UsesSummerTime = values.usesSummerTime;
    row.N_summer = values.rules[kN_Summer];
    row.J_summer = values.rules[kJ_Summer];
    row.M_summer = values.rules[kM_Summer];
    row.H_summer = kSummerStartHour;
    row.N_winter = values.rules[kN_Winter];
    row.J_winter = values.rules[kJ_Winter];
    row.M_winter = values.rules[kM_Winter];
    row.H_winter = kSummerEndHour;
    row.Latitude = joinCoordinate(values.latitude);
    row.Longitude = joinCoordinate(values.longitude);
    row.PosY = values.position.y;
    row.PosX = values.position.x;
}

} // namespace orbiclock
