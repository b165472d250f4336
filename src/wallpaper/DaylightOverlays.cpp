#include "wallpaper/DaylightOverlays.h"

#include "astro/CheckedMath.h"
#include "astro/OrbiclockError.h"
#include "wallpaper/ParallelRows.h"
#include "wallpaper/TransparentGif.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <iterator>
#include <string>
#include <type_traits>
#include <vector>

namespace orbiclock {
namespace {

/// The column whose phase is 0 on the reference map's scale: where universal midnight stands when
/// the page puts the overlay at its start position.
constexpr long double kPhaseZeroColumn = 699.0L;

/// Dots are drawn on every fifth table line, strictly between these reference rows, and at least
/// this many columns apart plus one.
constexpr std::int32_t kDotLineStep = 5;
constexpr std::int32_t kDotRowAbove = 195;
constexpr std::int32_t kDotRowBelow = 1023;
constexpr std::int32_t kDotSpacing = 5;

/// Folds a phase once into [0, 1].
constexpr long double foldPhase(long double p) noexcept
{
    if (p < 0)
        return p + 1;
    if (p > 1)
        return p - 1;
    return p;
}

/// The folded phase of every column: (j − 699·s) / W.
std::vector<long double> columnPhases(std::int32_t width, double mapScale)
{
    std::vector<long double> phases(static_cast<std::size_t>(width));
    const long double shift = kPhaseZeroColumn * static_cast<long double>(mapScale);
    for (std::int32_t j = 0; j < width; ++j)
        phases[static_cast<std::size_t>(j)] = foldPhase((static_cast<long double>(j) - shift) / width);
    return phases;
}

/// Column ranges [begin, end) over which the folded phase never decreases. The fold cuts the columns
/// into at most three such runs; within one, each comparison of the phase with an event time changes
/// its outcome at most once, which lets a row be painted as a few uniform spans.
struct Run {
    std::int32_t begin;
    std::int32_t end;
};

std::vector<Run> monotonicRuns(const std::vector<long double>& phases)
{
    std::vector<Run> runs;
    const auto width = static_cast<std::int32_t>(phases.size());
    std::int32_t begin = 0;
    for (std::int32_t j = 1; j < width; ++j) {
        if (phases[static_cast<std::size_t>(j)] < phases[static_cast<std::size_t>(j - 1)]) {
            runs.push_back({begin, j});
            begin = j;
        }
    }
    if (width > 0)
        runs.push_back({begin, width});
    return runs;
}

/// The bitmap row of every table line: Trunc((y − 1) · s).
std::vector<std::int32_t> bitmapRows(const SunTableContents& table, std::int32_t lineCount, double mapScale)
{
    std::vector<std::int32_t> rows(static_cast<std::size_t>(lineCount));
    for (std::int32_t i = 0; i < lineCount; ++i) {
        const std::int64_t y = static_cast<std::int64_t>(table.firstY) + i;
        rows[static_cast<std::size_t>(i)] =
            truncToInt32(static_cast<long double>(y - 1) * static_cast<long double>(mapScale));
    }
    return rows;
}

/// The first column of [run.begin, run.end) at which `holds` is false; `holds` must be true on a
/// prefix of the run and false on the rest.
template <typename Predicate>
std::int32_t partitionColumn(const std::vector<long double>& phases, Run run, Predicate holds)
{
    const auto first = phases.begin() + run.begin;
    const auto last = phases.begin() + run.end;
    return static_cast<std::int32_t>(std::partition_point(first, last, holds) - phases.begin());
}

void fillSpan(Pixel32* row, std::int32_t begin, std::int32_t end, Pixel32 colour) noexcept
{
    if (begin < end)
        std::fill(row + begin, row + end, colour);
}

/// Twilight: night where line + column is even, day where it is odd.
void fillCheckerboard(Pixel32* row, std::int32_t begin, std::int32_t end, std::int32_t line) noexcept
{
    for (std::int32_t j = begin; j < end; ++j)
        row[j] = ((line + j) & 1) != 0 ? daylight_colour::kDay : daylight_colour::kNight;
}

void paintSolidRow(Pixel32* row, const std::vector<long double>& phases, const std::vector<Run>& runs,
                   const SunTableLine& line, std::int32_t lineIndex)
{
    const long double dawn = line.dawn;
    const long double sunrise = line.sunrise;
    const long double sunset = line.sunset;
    const long double dusk = line.dusk;
    for (const Run run : runs) {
        // Night where dawn ≥ p (a prefix of the run) or dusk ≤ p (a suffix).
        const std::int32_t nightEnds = partitionColumn(phases, run, [&](long double p) { return dawn >= p; });
        const std::int32_t nightStarts =
            std::max(nightEnds, partitionColumn(phases, run, [&](long double p) { return !(dusk <= p); }));
        // Between them: twilight where sunrise > p (a prefix) or sunset < p (a suffix), day elsewhere.
        const std::int32_t dayBegins =
            std::max(nightEnds, partitionColumn(phases, run, [&](long double p) { return sunrise > p; }));
        const std::int32_t dayEnds =
            std::min(nightStarts, partitionColumn(phases, run, [&](long double p) { return !(sunset < p); }));

        fillSpan(row, run.begin, nightEnds, daylight_colour::kNight);
        if (dayBegins < dayEnds) {
            fillCheckerboard(row, nightEnds, dayBegins, lineIndex);
            fillSpan(row, dayBegins, dayEnds, daylight_colour::kDay);
            fillCheckerboard(row, dayEnds, nightStarts, lineIndex);
        } else {
            fillCheckerboard(row, nightEnds, nightStarts, lineIndex);
        }
        fillSpan(row, nightStarts, run.end, daylight_colour::kNight);
    }
}

/// Paints the dot columns of one line. Only columns whose phase lies within `tolerance` of an event can
/// take a dot; within a run those form one short range per event, so the columns are visited range by
/// range, in increasing order, and every other column is skipped: it would neither paint nor move `last`.
/// `ranges` is scratch space of at least 4 × runs.size() entries, kept by the caller across rows.
void paintDotsRow(Pixel32* row, const std::vector<long double>& phases, const std::vector<Run>& runs,
                  std::vector<Run>& ranges, const SunTableLine& line, long double tolerance)
{
    const long double events[] = {line.sunrise, line.sunset, line.dawn, line.dusk};
    constexpr Pixel32 eventColours[] = {daylight_colour::kSunLine, daylight_colour::kSunLine,
                                        daylight_colour::kTwilightLine, daylight_colour::kTwilightLine};
    std::size_t rangeCount = 0;
    for (const Run run : runs) {
        for (const long double event : events) {
            // |p − event| < tolerance ⇔ −tolerance < p − event < tolerance, each side monotone in p.
            const std::int32_t begin =
                partitionColumn(phases, run, [&](long double p) { return !(p - event > -tolerance); });
            const std::int32_t end = partitionColumn(phases, run, [&](long double p) { return p - event < tolerance; });
            if (begin < end)
                ranges[rangeCount++] = {begin, end};
        }
    }
    std::sort(ranges.begin(), ranges.begin() + static_cast<std::ptrdiff_t>(rangeCount),
              [](Run a, Run b) { return a.begin < b.begin; });

    std::int32_t last = 0;
    std::int32_t done = 0; // columns below this have been visited
    for (std::size_t r = 0; r < rangeCount; ++r) {
        for (std::int32_t j = std::max(ranges[r].begin, done); j < ranges[r].end; ++j) {
            if (j - last <= kDotSpacing)
                continue;
            const long double p = phases[static_cast<std::size_t>(j)];
            // Every test that holds paints; a later one overwrites an earlier one in the same pixel.
            for (std::size_t e = 0; e < 4; ++e) {
                if (std::fabs(p - events[e]) < tolerance) {
                    row[j] = eventColours[e];
                    last = j;
                }
            }
        }
        done = std::max(done, ranges[r].end);
    }
}

} // namespace

namespace {

/// The painting of one image row by row: which table lines paint which bitmap row, worked out once.
/// Every line paints only its own row, so a row comes out the same whether the image is painted whole
/// or one row at a time; the encoder takes the rows one by one and the image is never held whole.
class DaylightRows {
public:
    DaylightRows(DaylightVariant variant, const SunTableContents& table, double mapScale, std::int32_t width,
                 std::int32_t height)
        : m_variant(variant), m_table(table), m_width(width)
    {
        // The checks in the order of a whole-image painting, so the same table raises the same error.
        if (table.lastY < table.firstY)
            return;
        const std::int64_t wanted = static_cast<std::int64_t>(table.lastY) - table.firstY + 1;
        if (wanted > static_cast<std::int64_t>(table.lines.size()))
            throw OrbiclockError("List index out of bounds (" + std::to_string(table.lines.size()) + ")");
        const auto lineCount = static_cast<std::int32_t>(wanted);
        const std::vector<std::int32_t> rows = bitmapRows(table, lineCount, mapScale);
        if (width <= 0 || height <= 0)
            return;
        m_phases = columnPhases(width, mapScale);
        m_runs = monotonicRuns(m_phases);
        m_tolerance = 1.0L / width;
        m_ranges.resize(4 * m_runs.size());

        // The lines of each row in the order a whole-image painting takes them, as row → [first, end)
        // into m_lines.
        std::vector<std::pair<std::int32_t, std::int32_t>> painted; // (row, line)
        if (variant == DaylightVariant::Solid) {
            for (std::int32_t i = 0; i < lineCount; ++i) {
                const std::int32_t r = rows[static_cast<std::size_t>(i)];
                if (r < 0 || r >= height)
                    continue;
                // Each line paints its whole row, so of several lines on one row only the last one shows.
                if (i + 1 < lineCount && rows[static_cast<std::size_t>(i) + 1] == r)
                    continue;
                painted.emplace_back(r, i);
            }
        } else {
            for (std::int32_t i = 0; i < lineCount; i += kDotLineStep) {
                const std::int32_t y = table.firstY + i;
                const std::int32_t r = rows[static_cast<std::size_t>(i)];
                if (y <= kDotRowAbove || y >= kDotRowBelow || r < 0 || r >= height)
                    continue;
                painted.emplace_back(r, i);
            }
        }
        std::stable_sort(painted.begin(), painted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        m_firstLine.assign(static_cast<std::size_t>(height) + 1, 0);
        for (const auto& [r, i] : painted)
            ++m_firstLine[static_cast<std::size_t>(r) + 1];
        for (std::size_t r = 1; r < m_firstLine.size(); ++r)
            m_firstLine[r] += m_firstLine[r - 1];
        m_lines.reserve(painted.size());
        for (const auto& [r, i] : painted)
            m_lines.push_back(i);
    }

    /// Paints the table lines of bitmap row r onto `row`, which holds what the row had before.
    void paint(std::int32_t r, Pixel32* row)
    {
        if (m_firstLine.empty())
            return;
        const std::size_t end = m_firstLine[static_cast<std::size_t>(r) + 1];
        for (std::size_t k = m_firstLine[static_cast<std::size_t>(r)]; k < end; ++k) {
            const std::int32_t i = m_lines[k];
            const SunTableLine& line = m_table.lines[static_cast<std::size_t>(i)];
            if (m_variant == DaylightVariant::Solid)
                paintSolidRow(row, m_phases, m_runs, line, i);
            else
                paintDotsRow(row, m_phases, m_runs, m_ranges, line, m_tolerance);
        }
    }

    std::int32_t width() const noexcept { return m_width; }

private:
    DaylightVariant m_variant;
    const SunTableContents& m_table;
    std::int32_t m_width;
    std::vector<long double> m_phases;
    std::vector<Run> m_runs;
    std::vector<Run> m_ranges; // scratch of the dots rows
    long double m_tolerance = 0;
    std::vector<std::size_t> m_firstLine; // per row, plus the end of the last
    std::vector<std::int32_t> m_lines;
};

} // namespace

void PaintDaylightCurve(Bitmap32& bitmap, DaylightVariant variant, const SunTableContents& table, double mapScale)
{
    DaylightRows rows(variant, table, mapScale, bitmap.width(), bitmap.height());
    for (std::int32_t r = 0; r < bitmap.height(); ++r)
        rows.paint(r, bitmap.row(r));
}

std::vector<std::uint8_t> encodeDaylightOverlay(DaylightVariant variant, const SunTableContents& table,
                                                double mapScale, OverlaySize overlay)
{
    if (overlay.width <= 0 || overlay.height <= 0)
        throw RangeError("Invalid overlay size " + std::to_string(overlay.width) + " x " +
                         std::to_string(overlay.height));
    DaylightRows rows(variant, table, mapScale, overlay.width, overlay.height);
    std::vector<Pixel32> row(static_cast<std::size_t>(overlay.width));
    return encodeTransparentGif(overlay.width, overlay.height, [&](std::int32_t r) {
        std::fill(row.begin(), row.end(), daylight_colour::kBackground);
        rows.paint(r, row.data());
        return row.data();
    });
}

std::string daylightOverlayFileName(std::int32_t backgroundWidth, DaylightVariant variant)
{
    return std::to_string(backgroundWidth) +
           (variant == DaylightVariant::Dots ? "_background_dots.gif" : "_background_solid.gif");
}

void BuildDaylightOverlays(const std::filesystem::path& appDir, std::int32_t backgroundWidth, double mapScale,
                           OverlaySize overlay)
{
    DaylightOverlayBuild(appDir, backgroundWidth, mapScale, overlay).save();
}

namespace {

/// The images in the order their files are written.
constexpr DaylightVariant kVariants[] = {DaylightVariant::Dots, DaylightVariant::Solid};
constexpr std::size_t kDots = 0;
constexpr std::size_t kSolid = 1;

} // namespace

DaylightOverlayBuild::DaylightOverlayBuild(const std::filesystem::path& appDir, std::int32_t backgroundWidth,
                                           double mapScale, OverlaySize overlay)
    : m_imageFolder(appDir / "opt"), m_backgroundWidth(backgroundWidth), m_mapScale(mapScale), m_overlay(overlay)
{
    static_assert(std::size(kVariants) == std::extent_v<decltype(m_images)>);
    // Failures wait for save(), which raises them where a one-by-one build would have.
    try {
        if (overlay.width <= 0 || overlay.height <= 0)
            throw RangeError("Invalid overlay size " + std::to_string(overlay.width) + " x " +
                             std::to_string(overlay.height));
        // Read here, not on the worker: the numbers are parsed in the calling thread's locale.
        m_table = ReadSunTable(appDir / "riseset.txt");
    } catch (...) {
        m_setupError = std::current_exception();
        return;
    }

    // The work in the order it is handed out, one image per chunk. The worker, which starts at once,
    // takes the solid image, the slower to encode; the calling thread, free once the page is built,
    // takes the dots image unless the worker has got there first.
    static constexpr Job kJobs[] = {Job::Solid, Job::Dots};
    m_work = std::make_unique<ChunksOnTwoThreads>(std::size(kJobs), 1, [this](std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end; ++k)
            run(kJobs[k]);
    });
}

void DaylightOverlayBuild::run(Job job) noexcept
{
    // Each image painted and encoded row by row; a failure is kept for save().
    const std::size_t k = job == Job::Dots ? kDots : kSolid;
    try {
        m_images[k].bytes = encodeDaylightOverlay(kVariants[k], m_table, m_mapScale, m_overlay);
    } catch (...) {
        m_images[k].error = std::current_exception();
    }
}

DaylightOverlayBuild::~DaylightOverlayBuild() = default;

void DaylightOverlayBuild::save()
{
    if (m_setupError)
        std::rethrow_exception(m_setupError);
    m_work->finish();
    // The files in the order of a one-by-one build, dots first: a failed dots image leaves both files
    // alone, a failed solid one comes after the dots file has been saved.
    for (std::size_t k = 0; k < std::size(kVariants); ++k) {
        if (m_images[k].error)
            std::rethrow_exception(m_images[k].error);
        saveGifBytes(m_images[k].bytes, m_imageFolder / daylightOverlayFileName(m_backgroundWidth, kVariants[k]));
    }
}

} // namespace orbiclock
