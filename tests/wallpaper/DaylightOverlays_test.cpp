#include "wallpaper/DaylightOverlays.h"

#include "DecodedGif.h"
#include "astro/OrbiclockError.h"
#include "wallpaper/TransparentGif.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace orbiclock {
namespace {

namespace colour = daylight_colour;
using testing::decodeGif;
using testing::DecodedGif;

constexpr SunTableLine kPolarNight{5, 4, -4, -5};
constexpr SunTableLine kMidnightSun{-5, -4, 4, 5};

SunTableContents tableOf(std::int32_t firstY, std::vector<SunTableLine> lines)
{
    SunTableContents table;
    table.firstY = firstY;
    table.lastY = firstY + static_cast<std::int32_t>(lines.size()) - 1;
    table.lines = std::move(lines);
    return table;
}

Bitmap32 paint(DaylightVariant variant, const SunTableContents& table, double scale, std::int32_t width = 1390,
               std::int32_t height = 1200)
{
    Bitmap32 bitmap(width, height);
    bitmap.fill(colour::kBackground);
    PaintDaylightCurve(bitmap, variant, table, scale);
    return bitmap;
}

std::string colourName(Pixel32 pixel)
{
    switch (pixel) {
    case colour::kBackground: return "background";
    case colour::kDay: return "day";
    case colour::kNight: return "night";
    case colour::kSunLine: return "sun line";
    case colour::kTwilightLine: return "twilight line";
    default: {
        char text[16];
        std::snprintf(text, sizeof text, "%08X", pixel);
        return text;
    }
    }
}

/// The columns of a row that are not `colour`, as text for failure messages ("none" when there are none).
std::string columnsNot(const Bitmap32& bitmap, std::int32_t row, Pixel32 expected)
{
    std::string text;
    int shown = 0;
    for (std::int32_t x = 0; x < bitmap.width(); ++x) {
        const Pixel32 pixel = bitmap.pixel(x, row);
        if (pixel != expected && shown++ < 8)
            text += std::to_string(x) + ":" + colourName(pixel) + " ";
    }
    return text.empty() ? "none" : text;
}

/// Columns of a row that hold `colour`.
std::vector<std::int32_t> columnsOf(const Bitmap32& bitmap, std::int32_t row, Pixel32 wanted)
{
    std::vector<std::int32_t> columns;
    for (std::int32_t x = 0; x < bitmap.width(); ++x)
        if (bitmap.pixel(x, row) == wanted)
            columns.push_back(x);
    return columns;
}

bool rowIs(const Bitmap32& bitmap, std::int32_t row, Pixel32 expected)
{
    return columnsOf(bitmap, row, expected).size() == static_cast<std::size_t>(bitmap.width());
}

// ---------------------------------------------------------------------------------------------------
// The painting rules taken literally, pixel by pixel, as the reference the painter must match bit for bit.

void referencePaint(Bitmap32& bitmap, DaylightVariant variant, const SunTableContents& table, double s)
{
    if (table.lastY < table.firstY)
        return;
    const std::int32_t w = bitmap.width();
    for (std::int32_t i = 0; i <= table.lastY - table.firstY; ++i) {
        const std::int32_t y = table.firstY + i;
        const long double rowReal = std::trunc(static_cast<long double>(y - 1) * s);
        const auto row = static_cast<std::int32_t>(rowReal);
        if (row < 0 || row >= bitmap.height())
            continue;
        const SunTableLine& line = table.lines[static_cast<std::size_t>(i)];
        Pixel32* out = bitmap.row(row);
        std::int32_t last = 0;
        for (std::int32_t j = 0; j < w; ++j) {
            long double p = (j - 699 * static_cast<long double>(s)) / w;
            if (variant == DaylightVariant::Solid) {
                if (p < 0)
                    p = p + 1;
                else if (p > 1)
                    p = p - 1;
                if (line.dawn >= p || line.dusk <= p)
                    out[j] = colour::kNight;
                else if (line.sunrise > p || line.sunset < p)
                    out[j] = (i + j) % 2 == 0 ? colour::kNight : colour::kDay;
                else
                    out[j] = colour::kDay;
            } else if (i % 5 == 0) {
                if (p < 0)
                    p = p + 1;
                else if (p > 1)
                    p = p - 1;
                if (j - last > 5 && 195 < y && y < 1023) {
                    const long double d = 1.0L / w;
                    if (std::fabs(p - line.sunrise) < d) {
                        out[j] = colour::kSunLine;
                        last = j;
                    }
                    if (std::fabs(p - line.sunset) < d) {
                        out[j] = colour::kSunLine;
                        last = j;
                    }
                    if (std::fabs(p - line.dawn) < d) {
                        out[j] = colour::kTwilightLine;
                        last = j;
                    }
                    if (std::fabs(p - line.dusk) < d) {
                        out[j] = colour::kTwilightLine;
                        last = j;
                    }
                }
            }
        }
    }
}

/// A table from 85°N to 80°S with every kind of line: ordinary days, days whose sunset or dusk falls
/// after midnight, polar night, midnight sun, twilight all night, missing events (0), values on a
/// 1/1000 grid as the reader delivers them, and mixes of codes with values that equal a column's phase.
SunTableContents randomTable(std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto grid = [](double v) { return std::round(v * 1000.0) / 1000.0; };
    std::vector<SunTableLine> lines;
    for (int y = 133; y <= 1181; ++y) {
        SunTableLine line;
        // Phases 0 (column 699) and 0.5 (column 4) are exact at W 1390 and s 1: values there test the ties.
        const auto tieProne = [&]() {
            const double choices[] = {0.0, 0.5, -5.0, 5.0, -4.0, 4.0};
            return random() % 3 == 0 ? grid(unit(random)) : choices[random() % 6];
        };
        switch (random() % 9) {
        case 8: line = {tieProne(), tieProne(), tieProne(), tieProne()}; break;
        case 0: line = kPolarNight; break;
        case 1: line = kMidnightSun; break;
        case 2: line = {-5, grid(unit(random)), grid(unit(random)), 5}; break;
        case 3: line = {0, grid(unit(random)), 0, grid(unit(random))}; break;
        default: {
            const double noon = unit(random);
            const double half = 0.5 * unit(random);
            const double twilight = 0.05 * unit(random);
            const auto wrap = [](double v) { return v - std::floor(v); };
            line = {grid(wrap(noon - half - twilight)), grid(wrap(noon - half)), grid(wrap(noon + half)),
                    grid(wrap(noon + half + twilight))};
        }
        }
        lines.push_back(line);
    }
    return tableOf(133, std::move(lines));
}

struct SizeCase {
    const char* name;
    std::int32_t width;
    std::int32_t height;
    double scale;
};

const SizeCase kSizes[] = {
    {"w1390_s1", 1390, 1200, 1.0},   {"w1100_s075", 1100, 900, 0.75}, {"w890_s064", 890, 768, 0.64},
    {"w695_s05", 695, 600, 0.5},     {"w695_s04", 695, 600, 0.4},     {"w695_s01", 695, 600, 0.1},
    {"w890_s1_short", 890, 768, 1.0}, {"w37_s1", 37, 1200, 1.0},      {"w1390_s0499", 1390, 600, 0.49875},
};

class PaintMatchesTheRules : public ::testing::TestWithParam<SizeCase> {};

TEST_P(PaintMatchesTheRules, PixelForPixelForBothVariants)
{
    const SizeCase size = GetParam();
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        const SunTableContents table = randomTable(seed);
        for (const DaylightVariant variant : {DaylightVariant::Dots, DaylightVariant::Solid}) {
            const Bitmap32 painted = paint(variant, table, size.scale, size.width, size.height);
            Bitmap32 expected(size.width, size.height);
            expected.fill(colour::kBackground);
            referencePaint(expected, variant, table, size.scale);
            int mismatches = 0;
            for (std::int32_t y = 0; y < size.height; ++y)
                for (std::int32_t x = 0; x < size.width; ++x)
                    if (painted.pixel(x, y) != expected.pixel(x, y) && ++mismatches <= 3)
                        ADD_FAILURE() << (variant == DaylightVariant::Dots ? "dots" : "solid") << " seed " << seed
                                      << " pixel (" << x << ", " << y << "): expected "
                                      << colourName(expected.pixel(x, y)) << ", painted "
                                      << colourName(painted.pixel(x, y));
            EXPECT_EQ(mismatches, 0) << (variant == DaylightVariant::Dots ? "dots" : "solid") << " seed " << seed;
        }
    }
}

// The files are encoded from rows painted one at a time; they must be the files of the whole image.
TEST_P(PaintMatchesTheRules, RowByRowEncodingGivesTheFileOfTheWholeImage)
{
    const SizeCase size = GetParam();
    for (std::uint32_t seed = 1; seed <= 2; ++seed) {
        const SunTableContents table = randomTable(seed);
        for (const DaylightVariant variant : {DaylightVariant::Dots, DaylightVariant::Solid}) {
            Bitmap32 whole(size.width, size.height);
            whole.fill(colour::kBackground);
            referencePaint(whole, variant, table, size.scale);
            EXPECT_EQ(encodeDaylightOverlay(variant, table, size.scale, {size.width, size.height}),
                      encodeTransparentGif(whole))
                << (variant == DaylightVariant::Dots ? "dots" : "solid") << " seed " << seed;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(OverlaySizes, PaintMatchesTheRules, ::testing::ValuesIn(kSizes),
                         [](const ::testing::TestParamInfo<SizeCase>& param) { return std::string(param.param.name); });

// ---------------------------------------------------------------------------------------------------
// Solid image

TEST(SolidImage, PolarNightMidnightSunAndDuskBeforeDawnPaintWholeRows)
{
    struct Case {
        const char* name;
        SunTableLine line;
        Pixel32 expected;
    };
    const Case cases[] = {
        {"polar night", kPolarNight, colour::kNight},
        {"midnight sun", kMidnightSun, colour::kDay},
        // Dusk after midnight universal time, kept only as its time of day: night all day.
        {"dusk before dawn", {0.30, 0.35, 0.95, 0.02}, colour::kNight},
        {"no events at all", {0, 0, 0, 0}, colour::kNight},
    };
    for (const Case& c : cases) {
        const Bitmap32 bitmap = paint(DaylightVariant::Solid, tableOf(500, {c.line}), 1.0);
        EXPECT_TRUE(rowIs(bitmap, 499, c.expected))
            << c.name << ": row 499 should be all " << colourName(c.expected) << "; other columns: "
            << columnsNot(bitmap, 499, c.expected);
        EXPECT_TRUE(rowIs(bitmap, 498, colour::kBackground)) << c.name;
        EXPECT_TRUE(rowIs(bitmap, 500, colour::kBackground)) << c.name;
    }
}

TEST(SolidImage, TwilightAllNightIsDayBetweenSunriseAndSunsetAndCheckerboardElsewhere)
{
    // W 1390, s 1: column j has phase (j − 699)/1390, plus 1 left of column 699. Sunrise 0.31 falls
    // between columns 1129 and 1130, sunset 0.69 between 268 and 269.
    const Bitmap32 bitmap = paint(DaylightVariant::Solid, tableOf(700, {{-5, 0.31, 0.69, 5}}), 1.0);
    const std::int32_t row = 699;
    const std::int32_t line = 0;
    for (std::int32_t j = 0; j < 1390; ++j) {
        const bool day = j <= 268 || j >= 1130;
        const Pixel32 expected = day ? colour::kDay : ((line + j) % 2 == 0 ? colour::kNight : colour::kDay);
        ASSERT_EQ(colourName(bitmap.pixel(j, row)), colourName(expected)) << "column " << j;
    }
    // The checkerboard really alternates.
    EXPECT_EQ(bitmap.pixel(600, row), colour::kNight);
    EXPECT_EQ(bitmap.pixel(601, row), colour::kDay);
}

TEST(SolidImage, AnOrdinaryDayHasNightTwilightAndDayInPhaseOrder)
{
    // Dawn 0.2, sunrise 0.25, sunset 0.75, dusk 0.8 on line 1 (odd): the checkerboard starts with day
    // on even columns.
    const Bitmap32 bitmap = paint(DaylightVariant::Solid, tableOf(600, {kPolarNight, {0.2, 0.25, 0.75, 0.8}}), 1.0);
    const std::int32_t row = 600;
    const auto phaseOf = [](std::int32_t j) {
        const double p = (j - 699.0) / 1390.0;
        return p < 0 ? p + 1 : p;
    };
    int twilight = 0;
    for (std::int32_t j = 0; j < 1390; ++j) {
        const double p = phaseOf(j);
        // Stay clear of the exact boundaries, where the float rounding decides.
        if (std::fabs(p - 0.2) < 1e-3 || std::fabs(p - 0.25) < 1e-3 || std::fabs(p - 0.75) < 1e-3 ||
            std::fabs(p - 0.8) < 1e-3)
            continue;
        Pixel32 expected;
        if (p < 0.2 || p > 0.8)
            expected = colour::kNight;
        else if (p < 0.25 || p > 0.75) {
            expected = (1 + j) % 2 == 0 ? colour::kNight : colour::kDay;
            ++twilight;
        } else
            expected = colour::kDay;
        ASSERT_EQ(colourName(bitmap.pixel(j, row)), colourName(expected)) << "column " << j << ", phase " << p;
    }
    EXPECT_GT(twilight, 100);
    EXPECT_TRUE(rowIs(bitmap, 599, colour::kNight));
}

TEST(SolidImage, TheFirstTableLinePaintsRow132AndUnreachedRowsKeepTheBackground)
{
    const Bitmap32 bitmap = paint(DaylightVariant::Solid, tableOf(133, {kPolarNight, kMidnightSun}), 1.0);
    EXPECT_TRUE(rowIs(bitmap, 131, colour::kBackground));
    EXPECT_TRUE(rowIs(bitmap, 132, colour::kNight)) << columnsNot(bitmap, 132, colour::kNight);
    EXPECT_TRUE(rowIs(bitmap, 133, colour::kDay)) << columnsNot(bitmap, 133, colour::kDay);
    EXPECT_TRUE(rowIs(bitmap, 134, colour::kBackground));
    EXPECT_TRUE(rowIs(bitmap, 0, colour::kBackground));
    EXPECT_TRUE(rowIs(bitmap, 1199, colour::kBackground));
}

TEST(SolidImage, BelowScaleOneTheLaterLineOverwritesTheEarlier)
{
    // s 0.5: y 133 and y 134 both fall on row 66 (Trunc(132 · 0.5), Trunc(133 · 0.5)); y 135 on row 67.
    const Bitmap32 bitmap =
        paint(DaylightVariant::Solid, tableOf(133, {kPolarNight, kMidnightSun, kPolarNight}), 0.5, 695, 600);
    EXPECT_TRUE(rowIs(bitmap, 66, colour::kDay)) << columnsNot(bitmap, 66, colour::kDay);
    EXPECT_TRUE(rowIs(bitmap, 67, colour::kNight));
    EXPECT_TRUE(rowIs(bitmap, 65, colour::kBackground));
    EXPECT_TRUE(rowIs(bitmap, 68, colour::kBackground));

    // Reversed order: night wins.
    const Bitmap32 reversed = paint(DaylightVariant::Solid, tableOf(133, {kMidnightSun, kPolarNight}), 0.5, 695, 600);
    EXPECT_TRUE(rowIs(reversed, 66, colour::kNight));
}

// ---------------------------------------------------------------------------------------------------
// Dots image

/// The phase at the middle between columns j and j + 1 (W 1390, s 1), so that both lie within 1/W.
double phaseBetween(double j)
{
    const double p = (j + 0.5 - 699.0) / 1390.0;
    return p < 0 ? p + 1 : p;
}

/// A dots table with `line` at y and polar night (which draws no dots) elsewhere.
SunTableContents dotsTableWith(std::int32_t y, SunTableLine line)
{
    return tableOf(y, {line});
}

TEST(DotsImage, PhaseZeroIsColumn699AndSunriseAtAQuarterDayIsNearColumn1046)
{
    // W 1390, s 1. Dawn 0 has phase 0 at column 699 exactly. Sunrise 0.25 lies at 699 + 347.5: columns
    // 1046 and 1047 are within 1/W, the first takes the dot and the second is too close to it. Sunset and
    // dusk sit between two columns left of 699, where the folded phase runs from 0.497 to 1.
    const Bitmap32 bitmap =
        paint(DaylightVariant::Dots, dotsTableWith(500, {0.0, 0.25, phaseBetween(560), phaseBetween(629)}), 1.0);
    const std::int32_t row = 499;
    EXPECT_EQ(columnsOf(bitmap, row, colour::kSunLine), (std::vector<std::int32_t>{560, 1046}));
    EXPECT_EQ(columnsOf(bitmap, row, colour::kTwilightLine), (std::vector<std::int32_t>{629, 699}));
    EXPECT_EQ(columnsOf(bitmap, row, colour::kBackground).size(), 1390u - 4u);
}

TEST(DotsImage, PolarNightAndMidnightSunDrawNoDots)
{
    for (const SunTableLine line : {kPolarNight, kMidnightSun}) {
        const Bitmap32 bitmap = paint(DaylightVariant::Dots, dotsTableWith(300, line), 1.0);
        EXPECT_TRUE(rowIs(bitmap, 299, colour::kBackground)) << columnsNot(bitmap, 299, colour::kBackground);
    }
}

TEST(DotsImage, OnlyEveryFifthLineBetweenRows196And1022)
{
    struct Case {
        const char* name;
        std::int32_t firstY;
        std::int32_t lineIndex; ///< the line carrying the event; the others are polar night
        bool dotted;
    };
    const Case cases[] = {
        {"line 0 at y 195", 195, 0, false}, {"line 0 at y 196", 196, 0, true},
        {"line 5 at y 1022", 1017, 5, true}, {"line 0 at y 1023", 1023, 0, false},
        {"line 3", 400, 3, false},          {"line 10", 400, 10, true},
        {"line 4", 400, 4, false},
    };
    for (const Case& c : cases) {
        std::vector<SunTableLine> lines(12, kPolarNight);
        lines[static_cast<std::size_t>(c.lineIndex)] = {0.6, 0.25, 0.7, 0.8};
        const Bitmap32 bitmap = paint(DaylightVariant::Dots, tableOf(c.firstY, lines), 1.0);
        const std::int32_t row = c.firstY + c.lineIndex - 1;
        const bool dotted = !columnsOf(bitmap, row, colour::kSunLine).empty();
        EXPECT_EQ(dotted, c.dotted) << c.name << " (row " << row << ")";
        // Nothing else in the picture.
        for (std::int32_t r = 0; r < 1200; ++r) {
            if (r != row) {
                ASSERT_TRUE(rowIs(bitmap, r, colour::kBackground)) << c.name << ": row " << r;
            }
        }
    }
}

TEST(DotsImage, NeverInColumnsZeroToFiveAndAtLeastSixColumnsApart)
{
    struct Case {
        const char* name;
        SunTableLine line;
        std::vector<std::int32_t> sunColumns;
        std::vector<std::int32_t> twilightColumns;
    };
    const Case cases[] = {
        {"sunrise at columns 3 and 4", {0.6, phaseBetween(3), 0.7, 0.8}, {}, {}},
        {"sunrise at columns 6 and 7", {0.6, phaseBetween(6), 0.7, 0.8}, {6}, {}},
        {"sunset 3 columns after sunrise", {0.6, phaseBetween(1000), phaseBetween(1003), 0.8}, {1000}, {}},
        {"sunset 4 columns after sunrise", {0.6, phaseBetween(1000), phaseBetween(1004), 0.8}, {1000}, {}},
        {"sunset 6 columns after sunrise", {0.6, phaseBetween(1000), phaseBetween(1006), 0.8}, {1000, 1006}, {}},
        // Dusk 0 is at column 699, too close to 694; column 700 is exactly 1/W away, which is not within.
        {"an event exactly 1/W from a column", {0.6, phaseBetween(694), 0.7, 0.0}, {694}, {}},
        // A later hit in the same column overwrites: dawn equal to sunrise leaves an orange dot.
        {"dawn equal to sunrise", {phaseBetween(900), phaseBetween(900), 0.7, 0.8}, {}, {900}},
        {"dusk equal to sunset", {0.6, 0.65, phaseBetween(1200), phaseBetween(1200)}, {}, {1200}},
    };
    for (const Case& c : cases) {
        const Bitmap32 bitmap = paint(DaylightVariant::Dots, dotsTableWith(500, c.line), 1.0);
        std::vector<std::int32_t> sun = columnsOf(bitmap, 499, colour::kSunLine);
        std::vector<std::int32_t> twilight = columnsOf(bitmap, 499, colour::kTwilightLine);
        // Keep only the columns the case is about (the other events lie elsewhere in the row).
        const auto near = [](const std::vector<std::int32_t>& columns, const std::vector<std::int32_t>& watched) {
            std::vector<std::int32_t> kept;
            for (std::int32_t x : columns)
                for (std::int32_t w : watched)
                    if (std::abs(x - w) <= 10)
                        kept.push_back(x);
            std::sort(kept.begin(), kept.end());
            kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
            return kept;
        };
        std::vector<std::int32_t> watched = c.sunColumns;
        watched.insert(watched.end(), c.twilightColumns.begin(), c.twilightColumns.end());
        if (watched.empty())
            watched = {3};
        EXPECT_EQ(near(sun, watched), c.sunColumns) << c.name;
        EXPECT_EQ(near(twilight, watched), c.twilightColumns) << c.name;
    }
}

TEST(DotsImage, BelowScaleOneDotsOfLinesOnOneRowAddUp)
{
    // s 0.1, W 695: lines 0 and 5 (y 301 and 306) both fall on row 30 (Trunc(300 · 0.1), Trunc(305 · 0.1));
    // phase 0 is at column 69.9. Each line has only a sunrise, the rest polar-night codes.
    std::vector<SunTableLine> lines(6, kPolarNight);
    const auto phaseAt = [](double j) { return (j + 0.5 - 69.9) / 695.0; };
    lines[0] = {5, phaseAt(243), -4, -5};
    lines[5] = {5, phaseAt(347), -4, -5};
    const Bitmap32 bitmap = paint(DaylightVariant::Dots, tableOf(301, lines), 0.1, 695, 600);
    EXPECT_EQ(columnsOf(bitmap, 30, colour::kSunLine), (std::vector<std::int32_t>{243, 347}));
    EXPECT_EQ(columnsOf(bitmap, 30, colour::kBackground).size(), 695u - 2u);
}

// ---------------------------------------------------------------------------------------------------
// Both

TEST(DaylightCurve, RowsOutsideTheBitmapAreLeftAlone)
{
    // A table for the 1200-high reference map painted at scale 1 onto a 768-high bitmap (the overlay
    // size fixed at start-up on a smaller screen): rows 768 and below are not painted, the rest are.
    const SunTableContents table = randomTable(7);
    for (const DaylightVariant variant : {DaylightVariant::Dots, DaylightVariant::Solid}) {
        const Bitmap32 bitmap = paint(variant, table, 1.0, 890, 768);
        Bitmap32 expected(890, 768);
        expected.fill(colour::kBackground);
        referencePaint(expected, variant, table, 1.0);
        for (std::int32_t y = 0; y < 768; ++y)
            for (std::int32_t x = 0; x < 890; ++x)
                ASSERT_EQ(bitmap.pixel(x, y), expected.pixel(x, y)) << x << ", " << y;
    }
}

TEST(DaylightCurve, ATableShorterThanItsRowsIsAnError)
{
    SunTableContents table = tableOf(133, {kPolarNight, kPolarNight});
    table.lastY = 140;
    Bitmap32 bitmap(10, 10);
    EXPECT_THROW(PaintDaylightCurve(bitmap, DaylightVariant::Solid, table, 1.0), OrbiclockError);
    EXPECT_THROW(PaintDaylightCurve(bitmap, DaylightVariant::Dots, table, 1.0), OrbiclockError);
}

TEST(DaylightCurve, ALastRowAboveTheFirstPaintsNothing)
{
    SunTableContents table = tableOf(500, {kPolarNight});
    table.lastY = 499;
    const Bitmap32 bitmap = paint(DaylightVariant::Solid, table, 1.0);
    for (std::int32_t r = 0; r < 1200; ++r)
        ASSERT_TRUE(rowIs(bitmap, r, colour::kBackground)) << r;
}

// ---------------------------------------------------------------------------------------------------
// Building the files

class TempAppFolder {
public:
    TempAppFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orbiclock-overlays-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
        std::filesystem::create_directory(m_path / "opt");
    }
    ~TempAppFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

/// One sun-table line as the writer formats it: "0000" then four fields of two spaces and "0.0000000",
/// one space before a minus sign.
std::string sunTableLine(int y, const SunTableLine& line)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d", y);
    std::string result = text;
    for (const double v : {line.dawn, line.sunrise, line.sunset, line.dusk}) {
        std::snprintf(text, sizeof text, v < 0 ? " %.7f" : "  %.7f", v);
        result += text;
    }
    return result;
}

void writeSunTable(const std::filesystem::path& file, const SunTableContents& table)
{
    std::ofstream out(file, std::ios::binary);
    for (std::size_t i = 0; i < table.lines.size(); ++i)
        out << sunTableLine(table.firstY + static_cast<int>(i), table.lines[i]) << "\r\n";
}

/// January: polar night in the north, midnight sun in the far south, ordinary days between.
SunTableContents januaryLikeTable()
{
    std::vector<SunTableLine> lines;
    for (int y = 133; y <= 1181; ++y) {
        if (y < 385)
            lines.push_back(kPolarNight);
        else if (y > 1100)
            lines.push_back(kMidnightSun);
        else
            lines.push_back({0.2, 0.25, 0.75, 0.8});
    }
    return tableOf(133, std::move(lines));
}

std::size_t indexOf(const DecodedGif& gif, std::uint32_t rgb)
{
    const auto it = std::find(gif.colourMap.begin(), gif.colourMap.end(), rgb);
    return static_cast<std::size_t>(it - gif.colourMap.begin());
}

TEST(BuildDaylightOverlays, WritesBothTransparentGifsNamedAfterTheBackgroundWidth)
{
    TempAppFolder app;
    const SunTableContents table = januaryLikeTable();
    writeSunTable(app.path() / "riseset.txt", table);
    BuildDaylightOverlays(app.path(), 1600, 1.0, OverlaySize{1390, 1200});

    const DecodedGif solid = decodeGif(app.path() / "opt" / "1600_background_solid.gif");
    EXPECT_EQ(solid.width, 1390);
    EXPECT_EQ(solid.height, 1200);
    EXPECT_EQ(solid.imageCount, 1);
    EXPECT_TRUE(solid.frameCoversScreen);
    ASSERT_TRUE(solid.transparentIndex.has_value());
    EXPECT_EQ(solid.colourMap.at(static_cast<std::size_t>(*solid.transparentIndex)), 0x00FF00u);
    // Green, night, day: a map of four with one unused entry.
    EXPECT_EQ(solid.colourMap.size(), 4u);
    EXPECT_LT(indexOf(solid, 0x5C4824u), 3u) << "day (92, 72, 36) in the colour map";
    EXPECT_LT(indexOf(solid, 0x0E134Fu), 3u) << "night (14, 19, 79) in the colour map";
    EXPECT_EQ(solid.rgb(0, 131), 0x00FF00u);
    EXPECT_EQ(solid.rgb(0, 132), 0x0E134Fu) << "first line, polar night";
    EXPECT_EQ(solid.rgb(700, 1150), 0x5C4824u) << "midnight sun";
    EXPECT_EQ(solid.rgb(1046 + 100, 700), 0x5C4824u) << "phase 0.32, day";
    EXPECT_EQ(solid.rgb(699, 700), 0x0E134Fu) << "phase 0, night";
    EXPECT_EQ(solid.rgb(5, 1199), 0x00FF00u) << "below the last line";

    // The decoded file is the painted picture, pixel for pixel.
    Bitmap32 expected(1390, 1200);
    expected.fill(colour::kBackground);
    referencePaint(expected, DaylightVariant::Solid, table, 1.0);
    for (int y = 0; y < 1200; y += 7)
        for (int x = 0; x < 1390; ++x)
            ASSERT_EQ(solid.rgb(x, y), rgbOf(expected.pixel(x, y))) << x << ", " << y;

    const DecodedGif dots = decodeGif(app.path() / "opt" / "1600_background_dots.gif");
    EXPECT_EQ(dots.width, 1390);
    EXPECT_EQ(dots.height, 1200);
    EXPECT_EQ(dots.imageCount, 1);
    EXPECT_TRUE(dots.frameCoversScreen);
    ASSERT_TRUE(dots.transparentIndex.has_value());
    EXPECT_EQ(dots.colourMap.at(static_cast<std::size_t>(*dots.transparentIndex)), 0x00FF00u);
    EXPECT_LT(indexOf(dots, 0xFFFF00u), dots.colourMap.size()) << "sun line in the colour map";
    EXPECT_LT(indexOf(dots, 0xFF8000u), dots.colourMap.size()) << "twilight line in the colour map";
    // Row 499 is line 367 (not a dot line); row 502 is line 370: sunrise 0.25 at column 1046.
    EXPECT_EQ(dots.rgb(1046, 502), 0xFFFF00u);
    EXPECT_EQ(dots.rgb(1046, 501), 0x00FF00u);
    EXPECT_EQ(dots.rgb(0, 0), 0x00FF00u);

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(app.path() / "opt"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"1600_background_dots.gif", "1600_background_solid.gif"}));
}

TEST(BuildDaylightOverlays, ASmallScreenGetsItsOwnNamesAndScale)
{
    TempAppFolder app;
    writeSunTable(app.path() / "riseset.txt", januaryLikeTable());
    // 640 × 480: background 640 wide at scale 0.4, overlay 695 × 600.
    BuildDaylightOverlays(app.path(), 640, 0.4, OverlaySize{695, 600});
    const DecodedGif solid = decodeGif(app.path() / "opt" / "640_background_solid.gif");
    EXPECT_EQ(solid.width, 695);
    EXPECT_EQ(solid.height, 600);
    // y 133 → row Trunc(132 · 0.4) = 52; y 1181 → row 472.
    EXPECT_EQ(solid.rgb(0, 51), 0x00FF00u);
    EXPECT_EQ(solid.rgb(0, 52), 0x0E134Fu);
    EXPECT_EQ(solid.rgb(0, 472), 0x5C4824u);
    EXPECT_EQ(solid.rgb(0, 473), 0x00FF00u);
    EXPECT_TRUE(std::filesystem::exists(app.path() / "opt" / "640_background_dots.gif"));
}

TEST(BuildDaylightOverlays, FailuresRaiseAndWriteNoImage)
{
    {
        TempAppFolder app;
        EXPECT_THROW(BuildDaylightOverlays(app.path(), 1600, 1.0, OverlaySize{1390, 1200}), FileError)
            << "no sun table";
        EXPECT_TRUE(std::filesystem::is_empty(app.path() / "opt"));
    }
    {
        TempAppFolder app;
        writeSunTable(app.path() / "riseset.txt", januaryLikeTable());
        std::filesystem::remove(app.path() / "opt");
        EXPECT_THROW(BuildDaylightOverlays(app.path(), 1600, 1.0, OverlaySize{1390, 1200}), FileError)
            << "no image folder";
    }
    {
        TempAppFolder app;
        writeSunTable(app.path() / "riseset.txt", januaryLikeTable());
        EXPECT_THROW(BuildDaylightOverlays(app.path(), 1600, 1.0, OverlaySize{0, 0}), RangeError)
            << "overlay size never set";
        EXPECT_TRUE(std::filesystem::is_empty(app.path() / "opt"));
    }
}

// The images are encoded side by side but saved one after the other, dots first: a file that cannot
// be saved stops the build there, with the files before it written and the ones after it untouched.
struct BlockedFile {
    const char* name;
    const char* blocked;   ///< a folder of this name stands where the image should go
    const char* unblocked; ///< the other image: written before the failure, or never
    bool unblockedWritten;
};

constexpr BlockedFile kBlockedFiles[] = {
    {"DotsFileBlocked", "1600_background_dots.gif", "1600_background_solid.gif", false},
    {"SolidFileBlocked", "1600_background_solid.gif", "1600_background_dots.gif", true},
};

class BuildWithABlockedFile : public ::testing::TestWithParam<BlockedFile> {};

TEST_P(BuildWithABlockedFile, RaisesAfterTheFilesBeforeItAndWritesNoneAfter)
{
    const BlockedFile c = GetParam();
    TempAppFolder app;
    writeSunTable(app.path() / "riseset.txt", januaryLikeTable());
    const std::filesystem::path blocked = app.path() / "opt" / c.blocked;
    std::filesystem::create_directory(blocked);
    std::ofstream(blocked / "keep.txt") << "x";

    try {
        BuildDaylightOverlays(app.path(), 1600, 1.0, OverlaySize{1390, 1200});
        FAIL() << "the build went past a folder in the way";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"" + blocked.string() + "\". ", 0), 0u)
            << error.what();
    }
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
    const std::filesystem::path other = app.path() / "opt" / c.unblocked;
    ASSERT_EQ(std::filesystem::exists(other), c.unblockedWritten);
    if (c.unblockedWritten) {
        EXPECT_EQ(decodeGif(other).width, 1390);
    }

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(app.path() / "opt"))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names.size(), c.unblockedWritten ? 2u : 1u) << "no temporary file is left behind";
}

INSTANTIATE_TEST_SUITE_P(Files, BuildWithABlockedFile, ::testing::ValuesIn(kBlockedFiles),
                         [](const ::testing::TestParamInfo<BlockedFile>& row) { return std::string(row.param.name); });

} // namespace
} // namespace orbiclock
