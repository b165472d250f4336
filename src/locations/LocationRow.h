#pragma once

#include <cstdint>
#include <string>

namespace orbiclock {

/// One row of the user's `UserLocations` table, fields in their stored order.
/// Summer-time rule coding: N 0 last, 1..4, 5 second-last; J 0 Monday … 6 Sunday; M 0 January … 11 December.
struct LocationRow {
    std::int32_t IDX = 0;
    std::int32_t id_City = 0;
    std::int32_t id_Timezone = 0;
    std::int32_t id_Country = 0;
    std::string name_City; ///< at most 75 characters
    std::string name_Country;
    std::string name_Timezone;
    double GMT = 0.0; ///< standard offset in hours, east positive
    bool UsesSummerTime = false;
    std::int32_t N_summer = 0;
    std::int32_t J_summer = 0;
    std::int32_t M_summer = 0;
    std::int32_t H_summer = 0;
    std::int32_t N_winter = 0;
    std::int32_t J_winter = 0;
    std::int32_t M_winter = 0;
    std::int32_t H_winter = 0;
    double Latitude = 0.0;  ///< degrees, north positive
    double Longitude = 0.0; ///< degrees, east positive
    std::int32_t PosX = 0;  ///< pixel on the 1600 × 1200 reference map
    std::int32_t PosY = 0;

    friend bool operator==(const LocationRow&, const LocationRow&) = default;
};

/// The longest `name_City` the store keeps; longer names are cut when stored.
constexpr std::size_t kMaxCityNameLength = 75;

/// A walk over the visible rows of the location table in `IDX` order.
/// Every operation raises "Cannot perform this operation on a closed dataset" when the table is closed.
class LocationCursor {
public:
    virtual ~LocationCursor() = default;
    virtual void first() = 0;
    virtual void next() = 0;
    [[nodiscard]] virtual bool eof() const = 0;
    /// The current row; raises when the table is closed or the walk is past its end.
    [[nodiscard]] virtual const LocationRow& current() const = 0;
};

} // namespace orbiclock
