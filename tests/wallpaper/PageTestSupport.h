#pragma once

// Shared pieces of the page tests: a table walk over rows in memory and the rows themselves.

#include "astro/DateTime.h"
#include "locations/LocationRow.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace orbiclock::pagetest {

/// A walk over rows held in memory, in the order given.
class VectorCursor final : public LocationCursor {
public:
    explicit VectorCursor(std::vector<LocationRow> rows = {}) : m_rows(std::move(rows)) {}
    void first() override { m_at = 0; }
    void next() override { ++m_at; }
    bool eof() const override { return m_at >= m_rows.size(); }
    const LocationRow& current() const override
    {
        if (eof())
            throw std::logic_error("the walk is past its end");
        return m_rows[m_at];
    }
    std::vector<LocationRow>& rows() noexcept { return m_rows; }

private:
    std::vector<LocationRow> m_rows;
    std::size_t m_at = 0;
};

/// Stored summer-time rules (N 0 last, 1..4, 5 second-last; J 0 Monday … 6 Sunday; M 0 January …).
struct StoredRules {
    int nSummer, jSummer, mSummer, nWinter, jWinter, mWinter;
};
inline constexpr StoredRules kEuropeanRules{0, 6, 2, 0, 6, 9};     // last Sunday of March to October
inline constexpr StoredRules kNorthAmericanRules{2, 6, 2, 1, 6, 10}; // 2nd Sunday of March to 1st of November

/// A row of the location table with the fields the page reads.
inline LocationRow placeRow(int idx, std::string name, double gmtHours, double latitudeDeg = 0.0,
                            double longitudeDeg = 0.0, int posX = 0, int posY = 0)
{
    LocationRow row;
    row.IDX = idx;
    row.name_City = std::move(name);
    row.name_Country = "Country";
    row.GMT = gmtHours;
    row.Latitude = latitudeDeg;
    row.Longitude = longitudeDeg;
    row.PosX = posX;
    row.PosY = posY;
    return row;
}

inline LocationRow withSummerTime(LocationRow row, StoredRules rules)
{
    row.UsesSummerTime = true;
    row.N_summer = rules.nSummer;
    row.J_summer = rules.jSummer;
    row.M_summer = rules.mSummer;
    row.N_winter = rules.nWinter;
    row.J_winter = rules.jWinter;
    row.M_winter = rules.mWinter;
    return row;
}

inline DateTime localTime(int year, int month, int day, int hour = 0, int minute = 0)
{
    return encodeDate(year, month, day) + encodeTime(hour, minute, 0, 0);
}

/// The lines of a CR LF text (a final CR LF adds no empty line).
inline std::vector<std::string> crLfLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

} // namespace orbiclock::pagetest
