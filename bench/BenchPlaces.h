// Places for the benchmarks: the shipped list and generated lists of any length, walked by a cursor
// over a vector as the location table walks its rows.
#pragma once

#include "astro/MapProjection.h"
#include "locations/LocationRow.h"
#include "support/ShippedPlaces.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace orbiclock::bench {

/// The visible rows in IDX order, as the filtered location table hands them to the update.
class RowsCursor final : public LocationCursor {
public:
    explicit RowsCursor(std::vector<LocationRow> rows) : m_rows(std::move(rows)) {}
    void first() override { m_at = 0; }
    void next() override { ++m_at; }
    bool eof() const override { return m_at >= m_rows.size(); }
    const LocationRow& current() const override { return m_rows.at(m_at); }
    std::size_t size() const noexcept { return m_rows.size(); }

private:
    std::vector<LocationRow> m_rows;
    std::size_t m_at = 0;
};

/// The places shipped in data/UserLocations.csv, map positions from the coordinates as the database
/// build computes them.
inline std::vector<LocationRow> shippedPlaces()
{
    return testsupport::shippedPlaces();
}

/// `count` places made from the shipped ones: the shipped list repeated with each round moved a little
/// north-east, every place named after its number, the summer-time rules and offsets kept. IDX 0 is
/// the current location, as in a real table.
inline std::vector<LocationRow> generatedPlaces(std::size_t count)
{
    const std::vector<LocationRow> shipped = shippedPlaces();
    std::vector<LocationRow> rows;
    rows.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        LocationRow row = shipped[k % shipped.size()];
        const auto round = static_cast<double>(k / shipped.size());
        row.IDX = static_cast<std::int32_t>(k);
        row.name_City += " " + std::to_string(k);
        row.Latitude = std::fmod(row.Latitude + 0.37 * round + 60.0, 120.0) - 60.0;
        row.Longitude = std::fmod(row.Longitude + 0.73 * round + 180.0, 360.0) - 180.0;
        row.PosX = LongitudeToMapX(row.Longitude);
        row.PosY = LatitudeToMapY(row.Latitude);
        rows.push_back(row);
    }
    return rows;
}

} // namespace orbiclock::bench
