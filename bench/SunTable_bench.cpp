// The whole sun table step of an update: 16501 latitude steps, the four sun events for each of the
// 1049 map rows, formatting, and writing "riseset.txt" through a temporary file; plus reading it back
// as the overlay painter does. The rows are shared with a worker thread, so the writes are timed by
// the wall clock.

#include "astro/Clock.h"
#include "astro/DateTime.h"
#include "astro/Location.h"
#include "wallpaper/SunTableFile.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

using namespace orbiclock;

/// A folder of its own in the temporary directory, removed at the end.
class BenchFolder {
public:
    BenchFolder()
        : m_dir(std::filesystem::temp_directory_path() / ("orbiclock-suntable-bench-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_dir);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    ~BenchFolder() { std::filesystem::remove_all(m_dir); }
    std::filesystem::path file() const { return m_dir / "riseset.txt"; }

private:
    std::filesystem::path m_dir;
};

void writeSunTable(benchmark::State& state, int month)
{
    const BenchFolder folder;
    const FixedClock clock(encodeDate(2024, month, 21) + 0.5);
    TLocation gmt("GMT", 0, 0, 0, 0);
    for (auto _ : state)
        WriteSunTable(folder.file(), clock, gmt);
    state.SetItemsProcessed(state.iterations() * 1049);
}

void BM_WriteSunTable_December(benchmark::State& state)
{
    writeSunTable(state, 12);
}
BENCHMARK(BM_WriteSunTable_December)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteSunTable_June(benchmark::State& state)
{
    writeSunTable(state, 6);
}
BENCHMARK(BM_WriteSunTable_June)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadSunTable(benchmark::State& state)
{
    const BenchFolder folder;
    const FixedClock clock(encodeDate(2024, 12, 21) + 0.5);
    TLocation gmt("GMT", 0, 0, 0, 0);
    WriteSunTable(folder.file(), clock, gmt);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadSunTable(folder.file()));
    state.SetItemsProcessed(state.iterations() * 1049);
}
BENCHMARK(BM_ReadSunTable)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
