// The sun table computes dawn, sunrise, sunset and dusk at longitude 0 for every row of the reference
// map, 1049 rows from 85°N to 80°S, on every update. The "NoReuse" variants forget the remembered sun
// positions before every event, which is what evaluating every moment afresh costs.

#include "astro/Location.h"
#include "astro/MapProjection.h"
#include "astro/OrbiclockError.h"
#include "astro/ProtoDate.h"
#include "astro/SunPositionCache.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

using orbiclock::TLocation;
using orbiclock::TProtoDate;

constexpr std::int32_t kJan1st2000 = 730120;
constexpr std::int32_t kJune21st2024 = 739058;

/// The latitudes the sun table computes: the northernmost 0.01° step of each map row.
const std::vector<double>& rowLatitudes()
{
    static const std::vector<double> latitudes = [] {
        std::vector<double> result;
        std::int32_t previousY = 0;
        for (int i = 8500; i >= -8000; --i) {
            const double latitude = i / 100.0;
            const std::int32_t y = orbiclock::LatitudeToMapY(latitude);
            if (y != previousY)
                result.push_back(latitude);
            previousY = y;
        }
        return result;
    }();
    return latitudes;
}

template <typename Event>
double guarded(Event event)
{
    try {
        return event();
    } catch (const orbiclock::OrbiclockError&) {
        return 0.0;
    }
}

/// The four events of one row, every failure counted as no event, as the sun table takes them.
template <bool kForget>
double fourEvents(std::int32_t fixed, const TLocation& place)
{
    const double twilight = TProtoDate::Angle(6, 0, 0);
    double sum = 0;
    if (kForget)
        orbiclock::clearSunPositionCache();
    sum += guarded([&] { return TProtoDate::Dawn(fixed, place, twilight); });
    if (kForget)
        orbiclock::clearSunPositionCache();
    sum += guarded([&] { return TProtoDate::Sunrise(fixed, place); });
    if (kForget)
        orbiclock::clearSunPositionCache();
    sum += guarded([&] { return TProtoDate::Sunset(fixed, place); });
    if (kForget)
        orbiclock::clearSunPositionCache();
    sum += guarded([&] { return TProtoDate::Dusk(fixed, place, twilight); });
    return sum;
}

template <bool kForget>
void BM_SunTableRowSet(benchmark::State& state)
{
    const auto fixed = static_cast<std::int32_t>(state.range(0));
    TLocation place("GMT", 0, 0, 0, 0);
    for (auto _ : state) {
        orbiclock::clearSunPositionCache(); // every update starts afresh
        double sum = 0;
        for (const double latitude : rowLatitudes()) {
            place.Latitude = latitude;
            sum += fourEvents<kForget>(fixed, place);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["rows"] = static_cast<double>(rowLatitudes().size());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rowLatitudes().size()));
}

template <bool kForget>
void BM_OneRow(benchmark::State& state)
{
    const auto fixed = static_cast<std::int32_t>(state.range(0));
    const TLocation place("London", 51.5, -0.13, 0, 0);
    for (auto _ : state) {
        orbiclock::clearSunPositionCache(); // a single place: nothing to reuse from a previous row
        benchmark::DoNotOptimize(fourEvents<kForget>(fixed, place));
    }
}

BENCHMARK_TEMPLATE(BM_SunTableRowSet, false)->Name("SunTableRowSet")->Arg(kJan1st2000)->Arg(kJune21st2024)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_SunTableRowSet, true)->Name("SunTableRowSet_NoReuse")->Arg(kJan1st2000)->Arg(kJune21st2024)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OneRow, false)->Name("OneRow")->Arg(kJan1st2000)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_OneRow, true)->Name("OneRow_NoReuse")->Arg(kJan1st2000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
