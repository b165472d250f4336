#pragma once

#include "astro/Location.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace orbiclock {

class Clock;

/// The values of one line of "riseset.txt": dawn, sunrise, sunset and dusk at longitude 0 as fractions
/// of the day in universal time, 0 for no event between 55°S and 55°N, or a no-event code (±4, ±5).
struct SunTableLine {
    double dawn = 0.0;
    double sunrise = 0.0;
    double sunset = 0.0;
    double dusk = 0.0;
};

/// The sun table as the overlay painter reads it: line i belongs to reference-map row firstY + i.
struct SunTableContents {
    std::int32_t firstY = 0;
    std::int32_t lastY = 0;
    std::vector<SunTableLine> lines;
};

/// Computes today's sun events for every reference-map row from 85°N to 80°S and writes them to `file`
/// (1049 lines of 48 characters, CR LF). `gmtLocation` is the location object named "GMT" that the
/// pipeline created; its latitude is moved row by row and its longitude and zone set to 0.
/// Raises FileError "Cannot create file "%s". %s" when the file cannot be written.
void WriteSunTable(const std::filesystem::path& file, const Clock& clock, TLocation& gmtLocation);

class ChunksOnTwoThreads;

/// WriteSunTable in two halves, so the caller can do other work while the rows are computed. The
/// constructor reads the clock (once, as WriteSunTable does) and starts the rows on a worker thread;
/// write() computes the rest on the calling thread, then moves `gmtLocation` and writes the file as
/// WriteSunTable does, raising what it raises. Between the two the caller may use `gmtLocation`: the
/// rows work on copies taken at construction. Destroying a build that was not written waits for the
/// rows the worker is on and writes nothing.
class SunTableBuild {
public:
    /// One line of the table: a map row and the northernmost latitude step that falls on it.
    struct Row {
        double latitudeDeg;
        std::int32_t y;
    };

    SunTableBuild(std::filesystem::path file, const Clock& clock, TLocation& gmtLocation);
    SunTableBuild(const SunTableBuild&) = delete;
    SunTableBuild& operator=(const SunTableBuild&) = delete;
    ~SunTableBuild();

    /// Call once.
    void write();

    const std::filesystem::path& file() const noexcept { return m_file; }

private:
    std::filesystem::path m_file;
    TLocation& m_gmtLocation;
    TLocation m_rowLocation;
    std::int32_t m_day = 0;
    std::int32_t m_month = 0;
    std::vector<Row> m_rows;
    std::vector<SunTableLine> m_values;
    std::unique_ptr<ChunksOnTwoThreads> m_work; // last: joined before what it uses goes
};

/// Reads a sun table by the reading contract: first and last y from the first four characters of the
/// first and last line, each value from the six characters at columns 6, 17, 28 and 39, parsed with the
/// current locale's decimal separator. Raises FileError when the file cannot be opened and
/// OrbiclockError when a number does not parse.
SunTableContents ReadSunTable(const std::filesystem::path& file);

} // namespace orbiclock
