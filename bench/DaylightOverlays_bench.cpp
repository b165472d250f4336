// Painting and encoding the day/night overlays at the size of a wide screen (1390 × 1200, scale 1), one
// image at a time, and the whole overlay step of an update, which does both images side by side.

#include "astro/Clock.h"
#include "astro/DateTime.h"
#include "astro/Location.h"
#include "wallpaper/DaylightOverlays.h"
#include "wallpaper/SunTableFile.h"
#include "wallpaper/TransparentGif.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

using namespace orbiclock;

constexpr std::int32_t kWidth = 1390;
constexpr std::int32_t kHeight = 1200;

/// A January-like table: polar night in the far north, midnight sun and all-night twilight in the far
/// south, days growing longer from north to south in between, noon a little after 12:00.
SunTableContents januaryTable()
{
    SunTableContents table;
    table.firstY = 133;
    table.lastY = 1181;
    for (int y = table.firstY; y <= table.lastY; ++y) {
        const double t = (y - 133) / 1048.0; // 0 in the north, 1 in the south
        if (y < 320) {
            table.lines.push_back({5, 4, -4, -5});
        } else if (y > 1120) {
            table.lines.push_back({-5, -4, 4, 5});
        } else if (y > 1040) {
            table.lines.push_back({-5, 0.07, 0.93, 5});
        } else {
            const double half = 0.08 + 0.34 * t;
            const double twilight = 0.02 + 0.02 * std::fabs(t - 0.5);
            const double noon = 0.503;
            table.lines.push_back({noon - half - twilight, noon - half, noon + half, noon + half + twilight});
        }
    }
    return table;
}

Bitmap32 painted(DaylightVariant variant)
{
    Bitmap32 bitmap(kWidth, kHeight);
    bitmap.fill(daylight_colour::kBackground);
    PaintDaylightCurve(bitmap, variant, januaryTable(), 1.0);
    return bitmap;
}

void paintBench(benchmark::State& state, DaylightVariant variant)
{
    const SunTableContents table = januaryTable();
    Bitmap32 bitmap(kWidth, kHeight);
    for (auto _ : state) {
        bitmap.fill(daylight_colour::kBackground);
        PaintDaylightCurve(bitmap, variant, table, 1.0);
        benchmark::DoNotOptimize(bitmap.row(700));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void encodeBench(benchmark::State& state, DaylightVariant variant)
{
    const Bitmap32 bitmap = painted(variant);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<std::uint8_t> gif = encodeTransparentGif(bitmap);
        bytes = gif.size();
        benchmark::DoNotOptimize(gif.data());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    state.counters["gif_bytes"] = static_cast<double>(bytes);
}

/// A scratch application folder with the sun table of 21 December 2024 and an image folder.
class OverlayFolder {
public:
    OverlayFolder()
        : m_dir(std::filesystem::temp_directory_path() / ("orbiclock-overlays-bench-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_dir / "opt");
        const FixedClock clock(encodeDate(2024, 12, 21) + encodeTime(14, 30, 0, 0));
        TLocation gmt("GMT", 0, 0, 0, 0);
        WriteSunTable(m_dir / "riseset.txt", clock, gmt);
    }
    OverlayFolder(const OverlayFolder&) = delete;
    OverlayFolder& operator=(const OverlayFolder&) = delete;
    ~OverlayFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    const std::filesystem::path& path() const noexcept { return m_dir; }

private:
    std::filesystem::path m_dir;
};

/// Reading the table, painting and encoding both images and saving both files.
void BM_BuildDaylightOverlays(benchmark::State& state)
{
    const OverlayFolder folder;
    for (auto _ : state)
        BuildDaylightOverlays(folder.path(), 1600, 1.0, OverlaySize{kWidth, kHeight});
    state.SetItemsProcessed(state.iterations() * 2 * kWidth * kHeight);
}

void BM_PaintDots(benchmark::State& state) { paintBench(state, DaylightVariant::Dots); }
void BM_PaintSolid(benchmark::State& state) { paintBench(state, DaylightVariant::Solid); }
void BM_EncodeDotsGif(benchmark::State& state) { encodeBench(state, DaylightVariant::Dots); }
void BM_EncodeSolidGif(benchmark::State& state) { encodeBench(state, DaylightVariant::Solid); }

} // namespace

BENCHMARK(BM_PaintDots)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintSolid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeDotsGif)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeSolidGif)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildDaylightOverlays)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
