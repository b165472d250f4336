// The page step of an update for the 56 shipped places on a 1920 × 1080 screen: the sun events, offsets
// and script text of every clock, the day/night layers and sidebars, and the template's placeholders.

#include "astro/Clock.h"
#include "astro/DateTime.h"
#include "astro/Location.h"
#include "astro/LocationOffset.h"
#include "astro/MapProjection.h"
#include "locations/LocationRow.h"
#include "wallpaper/LocationRecord.h"
#include "wallpaper/PageBuilder.h"
#include "wallpaper/PageContext.h"
#include "wallpaper/TextFiles.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace orbiclock;

class RowsCursor final : public LocationCursor {
public:
    explicit RowsCursor(std::vector<LocationRow> rows) : m_rows(std::move(rows)) {}
    void first() override { m_at = 0; }
    void next() override { ++m_at; }
    bool eof() const override { return m_at >= m_rows.size(); }
    const LocationRow& current() const override { return m_rows.at(m_at); }

private:
    std::vector<LocationRow> m_rows;
    std::size_t m_at = 0;
};

/// The shipped list from data/UserLocations.csv, map positions from the coordinates.
std::vector<LocationRow> shippedPlaces()
{
    std::ifstream in(std::string(ORBICLOCK_SOURCE_DIR) + "/data/UserLocations.csv");
    std::vector<LocationRow> rows;
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (header) {
            header = false;
            continue;
        }
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            f.push_back(field);
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

void buildPage(benchmark::State& state)
{
    RowsCursor cursor(shippedPlaces());
    const std::string pageTemplate =
        readTextLinesCrLf(std::string(ORBICLOCK_SOURCE_DIR) + "/assets/Orbiclock_TEMPLATE.html");
    const FixedClock clock(encodeDate(2024, 7, 15) + encodeTime(11, 20, 0, 0));
    const PageScreen screen{{1920, 1080}, 55};
    const BackgroundLayout background = chooseBackground(screen.screen);
    const std::string appDirUrl = "file:///opt/Orbiclock/";
    const TLocationRec gmtRec = GmtReferenceRecord();
    cursor.first();
    const TLocationRec currentRec = locationRecFromRow(cursor.current());
    TLocation gmtLocation("GMT", 0.0, 0.0, 0.0, 0.0);

    for (auto _ : state) {
        std::string pageText = pageTemplate;
        PageContext page{pageText, background, appDirUrl, screenBandFor(1920).overlay, gmtRec, currentRec,
                         1.0,      true,       gmtLocation, cursor, clock};
        BuildPageContents(page, screen);
        benchmark::DoNotOptimize(pageText.data());
    }
}

BENCHMARK(buildPage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
