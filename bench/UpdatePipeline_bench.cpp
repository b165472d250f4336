// The whole update without the desktop step, as -autoupdate runs it on a 1920 × 1080 screen: screen
// size, template, sun table, page, overlays, every file written into a scratch application folder.
// The same run for 11 to 5,000 places and for overlays from 695 × 600 to 2780 × 2400 shows how the cost
// grows; the step counters say where the time goes, and a small table at the end sums it up. The sun
// table and the overlays run on two threads, so iterations are timed by the wall clock, and the
// overlay counter is the time the overlays hold up the run: one image is painted while the page is built.

#include "BenchPlaces.h"
#include "support/QuietUpdateHost.h"

#include "astro/Clock.h"
#include "astro/DateTime.h"
#include "astro/Location.h"
#include "wallpaper/PageContext.h"
#include "wallpaper/UpdatePipeline.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace orbiclock;
using bench::RowsCursor;

constexpr ScreenSize kScreen{1920, 1080};

/// A scratch application folder holding the template and an image folder, removed at the end.
class ScratchAppFolder {
public:
    ScratchAppFolder()
        : m_dir(std::filesystem::temp_directory_path() / ("orbiclock-pipeline-bench-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_dir / "opt");
        std::filesystem::copy_file(std::filesystem::path(ORBICLOCK_SOURCE_DIR) / "assets" / "Orbiclock_TEMPLATE.html",
                                   m_dir / "Orbiclock_TEMPLATE.html",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    ScratchAppFolder(const ScratchAppFolder&) = delete;
    ScratchAppFolder& operator=(const ScratchAppFolder&) = delete;
    ~ScratchAppFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    const std::filesystem::path& path() const noexcept { return m_dir; }

private:
    std::filesystem::path m_dir;
};


/// The real steps, each timed; the desktop step does nothing.
class TimedSteps final : public UpdateSteps {
public:
    void writeSunTable(const std::filesystem::path& file, const Clock& clock, TLocation& gmtLocation) override
    {
        timed(m_sunTable, [&] { m_steps.writeSunTable(file, clock, gmtLocation); });
    }
    void buildPageContents(PageContext& page) override
    {
        timed(m_page, [&] { m_steps.buildPageContents(page); });
    }
    void buildDaylightOverlays(const std::filesystem::path& appDir, const BackgroundLayout& background,
                               OverlaySize overlay) override
    {
        timed(m_overlays, [&] { m_steps.buildDaylightOverlays(appDir, background, overlay); });
    }
    void installWallpaper(const std::string&) override {}
    // Begun with the sun table, finished at the overlay step: both count as overlay time.
    void beginDaylightOverlays(const std::filesystem::path& appDir, const BackgroundLayout& background,
                               OverlaySize overlay) override
    {
        timed(m_overlays, [&] { m_steps.beginDaylightOverlays(appDir, background, overlay); });
    }
    void abandonDaylightOverlays() noexcept override { m_steps.abandonDaylightOverlays(); }

    /// Average milliseconds per run of each step, as counters of the benchmark.
    void report(benchmark::State& state) const
    {
        const auto perRun = [](double seconds) {
            return benchmark::Counter(seconds * 1e3, benchmark::Counter::kAvgIterations);
        };
        state.counters["sun_table_ms"] = perRun(m_sunTable);
        state.counters["page_ms"] = perRun(m_page);
        state.counters["overlays_ms"] = perRun(m_overlays);
    }

private:
    template <typename Step>
    static void timed(double& total, Step step)
    {
        const auto start = std::chrono::steady_clock::now();
        step();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    DefaultUpdateSteps m_steps{[](const std::string&) {}};
    double m_sunTable = 0.0;
    double m_page = 0.0;
    double m_overlays = 0.0;
};

void runPipeline(benchmark::State& state, std::vector<LocationRow> places, OverlaySize overlay)
{
    const ScratchAppFolder folder;
    RowsCursor cursor(std::move(places));
    const FixedClock clock(encodeDate(2024, 12, 21) + encodeTime(14, 30, 0, 0));
    testsupport::QuietUpdateHost window;
    TimedSteps steps;
    UpdateEnvironment environment;
    environment.appDir = folder.path();
    environment.clock = &clock;
    environment.screenSize = [] { return kScreen; };
    environment.overlay = overlay;
    UpdatePipeline pipeline(environment, window, steps);

    for (auto _ : state)
        pipeline.run(cursor);

    steps.report(state);
    state.counters["places"] = static_cast<double>(cursor.size());
    state.counters["overlay_pixels"] = static_cast<double>(overlay.width) * overlay.height;
}

OverlaySize wideScreenOverlay()
{
    return screenBandFor(kScreen.width).overlay; // 1390 × 1200
}

void BM_Pipeline_Shipped(benchmark::State& state)
{
    runPipeline(state, bench::shippedPlaces(), wideScreenOverlay());
}

void BM_Pipeline_Places(benchmark::State& state)
{
    runPipeline(state, bench::generatedPlaces(static_cast<std::size_t>(state.range(0))), wideScreenOverlay());
}

void BM_Pipeline_Overlay(benchmark::State& state)
{
    const OverlaySize overlay{static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1))};
    runPipeline(state, bench::shippedPlaces(), overlay);
}

BENCHMARK(BM_Pipeline_Shipped)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pipeline_Places)
    ->ArgName("places")
    ->Arg(11)
    ->Arg(56)
    ->Arg(500)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Pipeline_Overlay)
    ->ArgNames({"w", "h"})
    ->Args({695, 600})
    ->Args({1390, 1200})
    ->Args({2780, 2400})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

/// The console output, then a table of the scaling runs: the cost per place and per pixel between
/// neighbouring sizes, which stays about the same when the cost grows linearly.
class ScalingTableReporter final : public benchmark::ConsoleReporter {
public:
    ScalingTableReporter()
        : ConsoleReporter(::isatty(STDOUT_FILENO) != 0 ? OO_ColorTabular : OO_Tabular)
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            // With repetitions the median stands for the family member; otherwise the single run.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            const std::string key = run.run_name.function_name + "/" + run.run_name.args;
            if (run.run_type == Run::RT_Iteration && m_rows.count(key) != 0 && m_rows[key].fromMedian)
                continue;
            Row row;
            row.fromMedian = run.run_type == Run::RT_Aggregate;
            row.realMs = run.GetAdjustedRealTime();
            row.cpuMs = run.GetAdjustedCPUTime();
            const auto counter = [&run](const char* name) {
                const auto it = run.counters.find(name);
                return it == run.counters.end() ? 0.0 : it->second.value;
            };
            row.places = counter("places");
            row.pixels = counter("overlay_pixels");
            row.sunTableMs = counter("sun_table_ms");
            row.pageMs = counter("page_ms");
            row.overlaysMs = counter("overlays_ms");
            if (m_rows.count(key) == 0)
                m_order.emplace_back(run.run_name.function_name, key);
            m_rows[key] = row;
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::FILE* out = stdout;
        std::fflush(out);
        printTable(out, "BM_Pipeline_Places", "places", &Row::places, &Row::pageMs, "page us/place", 1e3);
        printTable(out, "BM_Pipeline_Overlay", "overlay px", &Row::pixels, &Row::overlaysMs, "overlays ns/px", 1e6);
        std::fflush(out);
    }

private:
    struct Row {
        bool fromMedian = false;
        double realMs = 0, cpuMs = 0, places = 0, pixels = 0, sunTableMs = 0, pageMs = 0, overlaysMs = 0;
    };

    void printTable(std::FILE* out, const std::string& family, const char* sizeName, double Row::*size,
                    double Row::*stepMs, const char* marginalName, double marginalScale) const
    {
        std::vector<Row> rows;
        for (const auto& [name, key] : m_order)
            if (name == family)
                rows.push_back(m_rows.at(key));
        if (rows.empty())
            return;
        std::fprintf(out, "\n%s (real time per update; CPU time in brackets; marginal = step time added per unit "
                          "from the previous size)\n", family.c_str());
        std::fprintf(out, "%12s %18s %12s %10s %12s %16s\n", sizeName, "total ms", "sun table", "page", "overlays",
                     marginalName);
        const Row* previous = nullptr;
        for (const Row& row : rows) {
            char marginal[32] = "-";
            if (previous != nullptr && row.*size > previous->*size)
                std::snprintf(marginal, sizeof marginal, "%.2f",
                              (row.*stepMs - previous->*stepMs) * marginalScale / (row.*size - previous->*size));
            char total[32];
            std::snprintf(total, sizeof total, "%.1f (%.1f)", row.realMs, row.cpuMs);
            std::fprintf(out, "%12.0f %18s %12.2f %10.2f %12.2f %16s\n", row.*size, total, row.sunTableMs,
                         row.pageMs, row.overlaysMs, marginal);
            previous = &row;
        }
    }

    std::map<std::string, Row> m_rows;
    std::vector<std::pair<std::string, std::string>> m_order; // family, key in first-run order
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    ScalingTableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
