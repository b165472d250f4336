#include "wallpaper/PageNumbers.h"

#include "astro/OrbiclockError.h"
#include "ScopedNumericLocale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <locale>
#include <string>

namespace orbiclock {
namespace {

struct PixelCase {
    const char* name;
    long double value;
    const char* expected;
};

const PixelCase kPixelCases[] = {
    {"whole", 1156.0L, "1156"},
    {"half_up_away_from_zero", 2.5L, "3"},
    {"half_down_away_from_zero", -2.5L, "-3"},
    {"below_half", 637.44L, "637"},
    {"above_half", 314.88L, "315"},
    {"negative_whole", -60.0L, "-60"},
    {"small_negative_rounds_to_zero", -0.4L, "0"},
};

TEST(PixelText, RoundsHalvesAwayFromZeroWithoutDecimals)
{
    for (const PixelCase& c : kPixelCases)
        EXPECT_EQ(pixelText(c.value), c.expected) << c.name << ": " << static_cast<double>(c.value);
}

TEST(PixelText, RaisesForValuesBeyondThirtyTwoBitsAndNaN)
{
    EXPECT_THROW(pixelText(3.0e9L), RangeError);
    EXPECT_THROW(pixelText(std::numeric_limits<long double>::quiet_NaN()), RangeError);
}

struct DecimalCase {
    const char* name;
    long double value;
    const char* expected;
};

const DecimalCase kDecimalCases[] = {
    {"half_hour_ahead", 5.5L, "5.5"},
    {"whole_hours_behind", -3.0L, "-3.0"},
    {"quarter_rounds_half_away_up", 5.75L, "5.8"},
    {"quarter_behind_rounds_half_away_down", -0.25L, "-0.3"},
    {"zero", 0.0L, "0.0"},
    {"forty_five_minutes_ahead_of_twelve", 12.75L, "12.8"},
    {"half_hour_behind", -3.5L, "-3.5"},
    {"third_of_an_hour", 20.0L / 60.0L, "0.3"},
};

TEST(OneDecimalText, WritesExactlyOneDecimalWithAPoint)
{
    for (const DecimalCase& c : kDecimalCases)
        EXPECT_EQ(oneDecimalText(c.value), c.expected) << c.name << ": " << static_cast<double>(c.value);
}

TEST(IntegerText, WritesPlainDecimalDigits)
{
    EXPECT_EQ(integerText(0), "0");
    EXPECT_EQ(integerText(-159), "-159");
    EXPECT_EQ(integerText(1601), "1601");
    EXPECT_EQ(integerText(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(OverlayHourWidth, IsTheOverlayWidthOverTwentyFourRoundedHalfToEven)
{
    struct Case {
        std::int32_t width;
        std::int32_t expected;
    };
    const Case cases[] = {{1390, 58}, {1100, 46}, {890, 37}, {695, 29}, {1380, 58}, {1404, 58}, {1356, 56}};
    for (const Case& c : cases)
        EXPECT_EQ(overlayHourWidth(c.width), c.expected) << "overlay width " << c.width;
}

// The program runs under the user's locale; a decimal comma or digit grouping there must not reach the
// page's script.
TEST(PageNumbers, IgnoreACommaLocale)
{
    ScopedNumericLocale comma(kCommaLocale);
    ASSERT_TRUE(comma.ok()) << kCommaLocale << " is not installed (scripts/install-deps adds it)";
    const std::locale previous = std::locale::global(std::locale(kCommaLocale));
    EXPECT_EQ(oneDecimalText(5.5L), "5.5");
    EXPECT_EQ(oneDecimalText(-3.0L), "-3.0");
    EXPECT_EQ(integerText(1234567), "1234567");
    EXPECT_EQ(pixelText(-1234.5L), "-1235");
    std::locale::global(previous);
}

} // namespace
} // namespace orbiclock
