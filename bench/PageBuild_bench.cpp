// The page step of an update for the 56 shipped places on a 1920 × 1080 screen: the sun events, offsets
// and script text of every clock, the day/night layers and sidebars, and the template's placeholders.

#include "BenchPlaces.h"
#include "astro/Clock.h"
#include "astro/DateTime.h"
#include "astro/Location.h"
#include "astro/LocationOffset.h"
#include "locations/LocationRow.h"
#include "wallpaper/LocationRecord.h"
#include "wallpaper/PageBuilder.h"
#include "wallpaper/PageContext.h"
#include "wallpaper/TextFiles.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace orbiclock;

void buildPage(benchmark::State& state)
{
    bench::RowsCursor cursor(bench::shippedPlaces());
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
