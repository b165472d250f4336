#pragma once

// The shipped place list (data/UserLocations.csv) as rows of the location table, with the map
// positions the database builder gives them from their coordinates. Shared by the tests and the
// benchmarks (include "support/ShippedPlaces.h").

#include "astro/MapProjection.h"
#include "locations/LocationRow.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace orbiclock::testsupport {

inline std::vector<std::string> csvFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, ','))
        fields.push_back(field);
    if (!line.empty() && line.back() == ',')
        fields.emplace_back();
    return fields;
}

/// Every row of the shipped list, in file order; comment and blank lines skipped.
inline std::vector<LocationRow> shippedPlaces()
{
    const std::filesystem::path file = std::filesystem::path(ORBICLOCK_SOURCE_DIR) / "data/UserLocations.csv";
    std::ifstream in(file);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    std::vector<LocationRow> rows;
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        if (header) {
            header = false;
            continue;
        }
        const std::vector<std::string> f = csvFields(line);
        if (f.size() != 13)
            throw std::runtime_error("unexpected place line: " + line);
        LocationRow row;
        row.IDX = std::stoi(f[0]);
        row.name_City = f[1];
        row.name_Country = f[2];
        row.GMT = std::stod(f[3]);
        row.UsesSummerTime = f[4] == "1";
        row.N_summer = std::stoi(f[5]);
        row.J_summer = std::stoi(f[6]);
        row.M_summer = std::stoi(f[7]);
        row.N_winter = std::stoi(f[8]);
        row.J_winter = std::stoi(f[9]);
        row.M_winter = std::stoi(f[10]);
        row.Latitude = std::stod(f[11]);
        row.Longitude = std::stod(f[12]);
        row.PosX = LongitudeToMapX(row.Longitude);
        row.PosY = LatitudeToMapY(row.Latitude);
        rows.push_back(row);
    }
    return rows;
}

} // namespace orbiclock::testsupport
