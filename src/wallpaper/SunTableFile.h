#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace orbiclock {

class Clock;
class TLocation;

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

/// Reads a sun table by the reading contract: first and last y from the first four characters of the
/// first and last line, each value from the six characters at columns 6, 17, 28 and 39, parsed with the
/// current locale's decimal separator. Raises FileError when the file cannot be opened and
/// OrbiclockError when a number does not parse.
SunTableContents ReadSunTable(const std::filesystem::path& file);

} // namespace orbiclock
