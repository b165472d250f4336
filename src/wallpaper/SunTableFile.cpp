#include "wallpaper/SunTableFile.h"

#include "astro/CheckedMath.h"
#include "astro/Clock.h"
#include "astro/FixedDay.h"
#include "astro/Location.h"
#include "astro/MapProjection.h"
#include "astro/OrbiclockError.h"
#include "astro/ProtoDate.h"
#include "astro/SummerTime.h"
#include "wallpaper/ParallelRows.h"
#include "wallpaper/SunTableFormat.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace orbiclock {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::string readWholeFile(const std::filesystem::path& file)
{
    FileHandle in(std::fopen(file.c_str(), "rb"));
    if (!in) {
        const int error = errno;
        throw FileError("Cannot open file \"" + file.string() + "\". " + std::strerror(error));
    }
    std::string text;
    char buf[65536];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, in.get())) > 0)
        text.append(buf, got);
    if (std::ferror(in.get())) {
        const int error = errno;
        throw FileError("Cannot read file \"" + file.string() + "\". " + std::strerror(error));
    }
    return text;
}

/// The text split into lines at CR LF, LF or CR; a line end after the last line adds no empty line.
std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

/// The latitudes the table walks, in hundredths of a degree: 85°N down to 80°S.
constexpr int kFirstLatitudeHundredths = 8500;
constexpr int kLastLatitudeHundredths = -8000;

[[noreturn]] void throwCannotCreate(const std::filesystem::path& file, int error)
{
    throw FileError("Cannot create file \"" + file.string() + "\". " + std::strerror(error));
}

/// A file descriptor that is closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) noexcept : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const noexcept { return m_fd; }
    /// Closes now and reports the result, so a failing close (e.g. a full disk over NFS) is not lost.
    int close() noexcept
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

/// A temporary file that is removed unless it has been renamed onto its final name.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : m_path(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (!m_kept)
            ::unlink(m_path.c_str());
    }
    const std::filesystem::path& path() const noexcept { return m_path; }
    void keep() noexcept { m_kept = true; }

private:
    std::filesystem::path m_path;
    bool m_kept = false;
};

/// Writes `content` to `file` through a new temporary file in the same folder that is then renamed
/// over it, so readers see either the old file or the whole new one.
void replaceFileContents(const std::filesystem::path& file, std::string_view content)
{
    static std::atomic<unsigned> s_counter{0};
    const std::string stem = file.filename().string() + "." + std::to_string(::getpid()) + ".";
    int fd = -1;
    std::filesystem::path tempPath;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempPath = file.parent_path() / (stem + std::to_string(s_counter++) + ".tmp");
        fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            throwCannotCreate(file, errno);
    }
    if (fd < 0)
        throwCannotCreate(file, EEXIST);
    Descriptor out(fd);
    TemporaryFile temp(tempPath);

    while (!content.empty()) {
        const ssize_t written = ::write(out.get(), content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwCannotCreate(file, errno);
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    if (out.close() != 0)
        throwCannotCreate(file, errno);
    if (::rename(temp.path().c_str(), file.c_str()) != 0)
        throwCannotCreate(file, errno);
    temp.keep();
}

/// A sun event computation with any failure of the model counted as no event (0).
template <typename Event>
double eventOrZero(Event event)
{
    try {
        return event();
    } catch (const OrbiclockError&) {
        return 0.0;
    }
}

[[noreturn]] void throwLineIndex(std::size_t index)
{
    throw OrbiclockError("List index out of bounds (" + std::to_string(index) + ")");
}

double latitudeOfStep(int hundredths) noexcept
{
    return static_cast<double>(static_cast<long double>(hundredths) / 100.0L);
}

using TableRow = SunTableBuild::Row;

/// The table's rows from 85°N down to 80°S, each map row once with its northernmost latitude step.
/// The map row never decreases southwards and changes every few steps, at a rate that itself changes
/// slowly, so the next row's first step is looked for one gap of the last row south and walked to from
/// there: about three projections per row instead of one per step (16,501 steps, 1049 rows).
std::vector<TableRow> tableRows()
{
    const auto rowOf = [](int step) { return LatitudeToMapY(latitudeOfStep(step)); };
    std::vector<TableRow> rows;
    rows.reserve(1100); // 1049 rows
    int gap = 1;
    int step = kFirstLatitudeHundredths;
    while (step >= kLastLatitudeHundredths) {
        const std::int32_t y = rowOf(step);
        rows.push_back({latitudeOfStep(step), y});
        // `next` ends on the first step south of `step` whose row differs (or just past the last step).
        int next = std::max(step - gap, kLastLatitudeHundredths - 1);
        if (next >= kLastLatitudeHundredths && rowOf(next) == y) {
            do {
                --next;
            } while (next >= kLastLatitudeHundredths && rowOf(next) == y);
        } else {
            while (next + 1 < step && rowOf(next + 1) != y)
                ++next;
        }
        gap = step - next;
        step = next;
    }
    return rows;
}

/// Rows per share of the work: small enough to even out the two threads, large enough that the sun
/// model's memory of recent moments still helps within a share.
constexpr std::size_t kRowsPerChunk = 16;

/// The four table values of one row, `location` standing at the row's latitude.
SunTableLine sunEventsAt(std::int32_t day, std::int32_t month, const TLocation& location,
                         double twilightDepressionDeg)
{
    const double latitude = location.Latitude;
    SunTableLine values;
    values.dawn = SunEventDayFraction(
        eventOrZero([&] { return TProtoDate::Dawn(day, location, twilightDepressionDeg); }), 5, month, latitude);
    values.sunrise =
        SunEventDayFraction(eventOrZero([&] { return TProtoDate::Sunrise(day, location); }), 4, month, latitude);
    values.sunset =
        SunEventDayFraction(eventOrZero([&] { return TProtoDate::Sunset(day, location); }), -4, month, latitude);
    values.dusk = SunEventDayFraction(
        eventOrZero([&] { return TProtoDate::Dusk(day, location, twilightDepressionDeg); }), -5, month, latitude);
    return values;
}

} // namespace

SunTableBuild::SunTableBuild(std::filesystem::path file, const Clock& clock, TLocation& gmtLocation)
    : m_file(std::move(file)), m_gmtLocation(gmtLocation), m_rowLocation(gmtLocation)
{
    // One reading of the clock for the whole table, so a run across midnight still describes one day.
    const DateTime now = clock.now();
    m_day = FixedFromDateTime(truncToInt32(static_cast<long double>(now)));
    m_month = MonthFromDate(now);
    m_rows = tableRows();
    m_values.resize(m_rows.size());
    m_rowLocation.Longitude = 0.0;
    m_rowLocation.Zone = 0.0;
    // The rows do not depend on each other, and the sun model keeps no state between them that could
    // change a result, so the two threads may share them out in any way. The worker starts now; the
    // calling thread joins in when it writes the table.
    m_work = std::make_unique<ChunksOnTwoThreads>(m_rows.size(), kRowsPerChunk, [this](std::size_t begin, std::size_t end) {
        const double twilightDepressionDeg = TProtoDate::Angle(6, 0, 0); // civil twilight
        TLocation location = m_rowLocation; // its own copy per chunk: the caller may use the GMT object meanwhile
        for (std::size_t k = begin; k < end; ++k) {
            location.Latitude = m_rows[k].latitudeDeg;
            m_values[k] = sunEventsAt(m_day, m_month, location, twilightDepressionDeg);
        }
    });
}

SunTableBuild::~SunTableBuild() = default;

void SunTableBuild::write()
{
    m_work->finish();

    // The object ends where the walk down the latitudes left it.
    m_gmtLocation.Latitude = latitudeOfStep(kLastLatitudeHundredths);
    m_gmtLocation.Longitude = 0.0;
    m_gmtLocation.Zone = 0.0;

    // Formatted here, in row order: the decimal separator is the calling thread's locale.
    std::string text;
    text.reserve(m_rows.size() * (kSunTableLineLength + 2));
    for (std::size_t k = 0; k < m_rows.size(); ++k) {
        text += formatSunTableLine(m_rows[k].y, m_values[k]);
        text += "\r\n";
    }
    replaceFileContents(m_file, text);
}

void WriteSunTable(const std::filesystem::path& file, const Clock& clock, TLocation& gmtLocation)
{
    SunTableBuild(file, clock, gmtLocation).write();
}

SunTableContents ReadSunTable(const std::filesystem::path& file)
{
    const std::string text = readWholeFile(file);
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.empty())
        throwLineIndex(0);

    SunTableContents table;
    table.firstY = parseSunTableRow(lines.front());
    table.lastY = parseSunTableRow(lines.back());
    if (table.lastY < table.firstY)
        return table;

    // Line i belongs to row firstY + i; a table whose rows outnumber its lines is broken.
    const auto count = static_cast<std::size_t>(static_cast<std::int64_t>(table.lastY) - table.firstY + 1);
    if (count > lines.size())
        throwLineIndex(lines.size());
    table.lines.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        table.lines.push_back(parseSunTableValues(lines[i]));
    return table;
}

} // namespace orbiclock
