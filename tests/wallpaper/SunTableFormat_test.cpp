#include "wallpaper/SunTableFormat.h"

#include "ScopedNumericLocale.h"
#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace orbiclock {
namespace {

const char* const kCommaLocaleMissing = "de_DE.UTF-8 is not installed: run scripts/install-deps";

// ---- Values -------------------------------------------------------------------------------------

TEST(FormatSunTableValue, PictureWithSevenDecimals)
{
    const ScopedNumericLocale c("C");
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "0.0000000"},         {5.0, "5.0000000"},         {4.0, "4.0000000"},
        {-4.0, "-4.0000000"},       {-5.0, "-5.0000000"},       {0.235249, "0.2352490"},
        {0.5, "0.5000000"},         {0.99999996, "1.0000000"},  {0.12345678, "0.1234568"},
        {0.12345674, "0.1234567"},  {1e-9, "0.0000000"},
        // A value that rounds to zero shows no sign.
        {-1e-9, "0.0000000"},       {-0.0, "0.0000000"},
    };
    for (const Case& row : cases)
        EXPECT_EQ(formatSunTableValue(row.value), row.text) << row.value;
}

// The only doubles exactly halfway between two seven-decimal values are the odd multiples of 1/256;
// printf rounds those to even, the picture away from zero.
TEST(FormatSunTableValue, ExactHalvesRoundAwayFromZero)
{
    const ScopedNumericLocale c("C");
    for (int m = 1; m < 256; m += 2) {
        const long long hundredMillionths = m * 390625LL; // m / 256 in units of 1e-8, exactly
        const long long tenMillionths = (hundredMillionths + 5) / 10;
        char expected[32];
        std::snprintf(expected, sizeof expected, "0.%07lld", tenMillionths);
        const double value = m / 256.0;
        EXPECT_EQ(formatSunTableValue(value), expected) << m << "/256";
        EXPECT_EQ(formatSunTableValue(-value), std::string("-") + expected) << "-" << m << "/256";
    }
    EXPECT_EQ(formatSunTableValue(4.00390625), "4.0039063");
}

TEST(FormatSunTableValue, UsesTheLocalesDecimalSeparator)
{
    const ScopedNumericLocale german(kCommaLocale);
    ASSERT_TRUE(german.ok()) << kCommaLocaleMissing;
    EXPECT_EQ(formatSunTableValue(0.5), "0,5000000");
    EXPECT_EQ(formatSunTableValue(-4.0), "-4,0000000");
    EXPECT_EQ(formatSunTableValue(0.00390625), "0,0039063");
}

// ---- Lines --------------------------------------------------------------------------------------

TEST(FormatSunTableLine, FixedColumnsWithTheMinusSignTakingASpace)
{
    const ScopedNumericLocale c("C");
    struct Case {
        std::int32_t y;
        SunTableLine values;
        const char* text;
    };
    const Case cases[] = {
        {133, {5, 4, -4, -5}, "0133  5.0000000  4.0000000 -4.0000000 -5.0000000"},
        {1181, {-5, -4, 4, 5}, "1181 -5.0000000 -4.0000000  4.0000000  5.0000000"},
        {734, {0.235249, 0.2508531, 0.7537345, 0.7693337}, "0734  0.2352490  0.2508531  0.7537345  0.7693337"},
        {1030, {-5, 0.1034931, 0.9004582, 5}, "1030 -5.0000000  0.1034931  0.9004582  5.0000000"},
        {313, {0.4915554, 4, -4, 0.513278}, "0313  0.4915554  4.0000000 -4.0000000  0.5132780"},
        {500, {0, 0, 0, 0}, "0500  0.0000000  0.0000000  0.0000000  0.0000000"},
    };
    for (const Case& row : cases) {
        const std::string line = formatSunTableLine(row.y, row.values);
        EXPECT_EQ(line, row.text);
        EXPECT_EQ(line.size(), kSunTableLineLength) << line;
    }
}

TEST(FormatSunTableLine, UnderADecimalCommaLocale)
{
    const ScopedNumericLocale german(kCommaLocale);
    ASSERT_TRUE(german.ok()) << kCommaLocaleMissing;
    EXPECT_EQ(formatSunTableLine(1030, {-5, 0.1034931, 0.9004582, 5}),
              "1030 -5,0000000  0,1034931  0,9004582  5,0000000");
}

// ---- Event values -------------------------------------------------------------------------------

TEST(SunEventDayFraction, MomentsKeepTheirTimeOfDay)
{
    struct Case {
        double moment;
        double expected;
    };
    const Case cases[] = {
        {730120.25, 0.25}, {730120.0, 0.0}, {730119.875, 0.875}, // event on the previous day in UT
        {730121.125, 0.125},                                       // on the next day
        {1.5, 0.5},
    };
    for (const Case& row : cases) {
        for (double latitude : {0.0, 70.0, -70.0}) {
            for (std::int32_t month : {1, 7}) {
                EXPECT_DOUBLE_EQ(SunEventDayFraction(row.moment, 5, month, latitude), row.expected)
                    << row.moment << " at " << latitude << " in month " << month;
            }
        }
    }
}

TEST(SunEventDayFraction, NoEventGivesTheCodeForSeasonAndHemisphere)
{
    struct Case {
        std::int32_t month;
        double latitude;
        double expected; // for the dawn code 5
    };
    const Case cases[] = {
        // October to March: polar night in the north, midnight sun in the south.
        {1, 80, 5},    {3, 60, 5},    {10, 56, 5},  {12, 55.01, 5},
        {1, -80, -5},  {3, -60, -5},  {10, -56, -5}, {12, -55.01, -5},
        // April to September: the opposite.
        {4, 80, -5},   {7, 60, -5},   {9, 55.01, -5},
        {4, -80, 5},   {7, -60, 5},   {9, -55.01, 5},
        // Between 55°S and 55°N, both included, a missing event stays 0.
        {1, 55, 0},    {1, -55, 0},   {7, 55, 0},   {7, -55, 0},   {1, 0, 0},   {7, 30, 0},
    };
    for (const Case& row : cases)
        EXPECT_EQ(SunEventDayFraction(0.0, 5, row.month, row.latitude), row.expected)
            << "month " << row.month << ", latitude " << row.latitude;

    // Each event's code: dawn 5, sunrise 4, sunset -4, dusk -5 in the northern polar night.
    EXPECT_EQ(SunEventDayFraction(0.0, 4, 1, 80), 4);
    EXPECT_EQ(SunEventDayFraction(0.0, -4, 1, 80), -4);
    EXPECT_EQ(SunEventDayFraction(0.0, -5, 1, 80), -5);
    EXPECT_EQ(SunEventDayFraction(0.0, -5, 7, 80), 5);
}

// ---- Reading ------------------------------------------------------------------------------------

TEST(ParseSunTableRow, ReadsTheFirstFourCharacters)
{
    EXPECT_EQ(parseSunTableRow("0133  5.0000000  4.0000000 -4.0000000 -5.0000000"), 133);
    EXPECT_EQ(parseSunTableRow("1181"), 1181);
    EXPECT_EQ(parseSunTableRow("  42 and more"), 42);
    EXPECT_EQ(parseSunTableRow("-012"), -12);
}

TEST(ParseSunTableRow, RejectsWhatIsNoNumber)
{
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"abcd  5.0000000", "'abcd' is not a valid integer value"},
        {"", "'' is not a valid integer value"},
        {"12x4", "'12x4' is not a valid integer value"},
        {"    ", "'    ' is not a valid integer value"},
        {"-", "'-' is not a valid integer value"},
    };
    for (const Case& row : cases) {
        try {
            parseSunTableRow(row.line);
            ADD_FAILURE() << "no error for '" << row.line << "'";
        } catch (const OrbiclockError& e) {
            EXPECT_STREQ(e.what(), row.message);
        }
    }
}

TEST(ParseSunTableValues, ReadsThreeDecimalsOfEachField)
{
    const ScopedNumericLocale c("C");
    const SunTableLine codes = parseSunTableValues("1181 -5.0000000 -4.0000000  4.0000000  5.0000000");
    EXPECT_EQ(codes.dawn, -5.0);
    EXPECT_EQ(codes.sunrise, -4.0);
    EXPECT_EQ(codes.sunset, 4.0);
    EXPECT_EQ(codes.dusk, 5.0);

    const SunTableLine times = parseSunTableValues("0734  0.2352490  0.2508531  0.7537345  0.7693337");
    EXPECT_EQ(times.dawn, 0.235);
    EXPECT_EQ(times.sunrise, 0.250);
    EXPECT_EQ(times.sunset, 0.753);
    EXPECT_EQ(times.dusk, 0.769);
}

TEST(ParseSunTableValues, ParsesWithTheLocalesDecimalSeparator)
{
    const char* const commaLine = "1030 -5,0000000  0,1034931  0,9004582  5,0000000";
    const char* const pointLine = "1030 -5.0000000  0.1034931  0.9004582  5.0000000";
    {
        const ScopedNumericLocale german(kCommaLocale);
        ASSERT_TRUE(german.ok()) << kCommaLocaleMissing;
        const SunTableLine values = parseSunTableValues(commaLine);
        EXPECT_EQ(values.dawn, -5.0);
        EXPECT_EQ(values.sunrise, 0.103);
        EXPECT_EQ(values.sunset, 0.9);
        EXPECT_EQ(values.dusk, 5.0);
        EXPECT_THROW(parseSunTableValues(pointLine), OrbiclockError);
    }
    const ScopedNumericLocale c("C");
    EXPECT_THROW(parseSunTableValues(commaLine), OrbiclockError);
    EXPECT_EQ(parseSunTableValues(pointLine).sunrise, 0.103);
}

TEST(ParseSunTableValues, RejectsBrokenFields)
{
    const ScopedNumericLocale c("C");
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"0133", "'' is not a valid floating point value"},
        {"0133  5.0000000  4.00", "'' is not a valid floating point value"},
        {"0133  x.0000000  4.0000000 -4.0000000 -5.0000000", "' x.000' is not a valid floating point value"},
        {"0133  nan00000  4.0000000 -4.0000000 -5.0000000", "' nan00' is not a valid floating point value"},
        {"0133  inf00000  4.0000000 -4.0000000 -5.0000000", "' inf00' is not a valid floating point value"},
        {"0133  0x10000  4.0000000 -4.0000000 -5.0000000", "' 0x100' is not a valid floating point value"},
        {"0133  -.     4.0000000 -4.0000000 -5.0000000", "' -.   ' is not a valid floating point value"},
        {"0133  1e999  4.0000000 -4.0000000 -5.0000000", "' 1e999' is not a valid floating point value"},
    };
    for (const Case& row : cases) {
        try {
            parseSunTableValues(row.line);
            ADD_FAILURE() << "no error for '" << row.line << "'";
        } catch (const OrbiclockError& e) {
            EXPECT_STREQ(e.what(), row.message);
        }
    }
}

// Random and damaged lines either parse to finite numbers or raise the conversion error; nothing else.
TEST(SunTableParsers, FuzzedLines)
{
    const ScopedNumericLocale c("C");
    std::mt19937 random(20240101);
    const std::string alphabet = " 0123456789.,-+eEnaifxX\t\r";
    const std::string valid = "0734  0.2352490  0.2508531  0.7537345  0.7693337";
    auto check = [](const std::string& line) {
        try {
            (void)parseSunTableRow(line);
        } catch (const OrbiclockError&) {
        }
        try {
            const SunTableLine v = parseSunTableValues(line);
            EXPECT_TRUE(std::isfinite(v.dawn) && std::isfinite(v.sunrise) && std::isfinite(v.sunset) &&
                        std::isfinite(v.dusk))
                << line;
        } catch (const OrbiclockError&) {
        }
    };
    for (int n = 0; n < 20000; ++n) {
        std::string line;
        const auto length = std::uniform_int_distribution<std::size_t>(0, 60)(random);
        for (std::size_t k = 0; k < length; ++k)
            line += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        check(line);

        std::string damaged = valid;
        const auto at = std::uniform_int_distribution<std::size_t>(0, damaged.size() - 1)(random);
        damaged[at] = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        damaged.resize(std::uniform_int_distribution<std::size_t>(0, damaged.size())(random));
        check(damaged);
    }
}

} // namespace
} // namespace orbiclock
