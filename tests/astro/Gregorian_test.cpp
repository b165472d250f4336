#include "astro/DateTime.h"
#include "astro/FixedDay.h"
#include "astro/Gregorian.h"
#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace orbiclock {
namespace {

using G = TGregorian;

TEST(Gregorian, FixedFromGregorian)
{
    struct Row {
        const char* name;
        std::int32_t year, month, day, fixed;
    };
    const Row rows[] = {
        {"first day", 1, 1, 1, 1},
        {"end of year 1", 1, 12, 31, 365},
        {"date-time day 0", 1899, 12, 30, 693594},
        {"J2000 day", 2000, 1, 1, 730120},
        {"end of a 400-year cycle", 2000, 12, 31, 730485},
        {"after a leap day", 2024, 3, 1, 738946},
        {"leap day", 2024, 2, 29, 738945},
        {"common year March", 2023, 3, 1, 738580},
        {"summer solstice 2024", 2024, 6, 21, 739058},
        {"year 0 (1 BC)", 0, 12, 31, 0},
        {"before year 1", 0, 1, 1, -365},
    };
    for (const Row& row : rows)
        EXPECT_EQ(G::FixedFromGregorian(row.year, row.month, row.day), row.fixed) << row.name;
}

TEST(Gregorian, FixedFromGregorianRaisesInsteadOfWrapping)
{
    EXPECT_THROW(G::FixedFromGregorian(6000000, 1, 1), RangeError);
    EXPECT_THROW(G::FixedFromGregorian(-6000000, 1, 1), RangeError);
    // Month and day are 16-bit unsigned values: 65537 must not quietly become 1.
    EXPECT_THROW(G::FixedFromGregorian(2000, 65537, 1), RangeError);
    EXPECT_THROW(G::FixedFromGregorian(2000, 1, -1), RangeError);
}

TEST(Gregorian, YearFromFixedAtTheCycleEnds)
{
    struct Row {
        const char* name;
        std::int32_t fixed, year;
    };
    const Row rows[] = {
        {"last day of a 400-year cycle", 730485, 2000},
        {"last day of a 4-year cycle", 729024, 1996},
        {"first day after a 400-year cycle", 730486, 2001},
        {"last day of 1999", 730119, 1999},
        {"first day", 1, 1},
        {"last day of year 1", 365, 1},
        {"last day of year 4", 1461, 4},
        {"last day of year 400", 146097, 400},
        {"day 0", 0, 0},
        {"a year before day 1", -365, 0},
        {"before year 0", -366, -1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(G::GregorianYearFromFixed(row.fixed), row.year) << row.name;
        if (row.fixed >= 1) {
            EXPECT_EQ(TStandardDate::YearFromFixed(row.fixed), row.year) << row.name;
        }
    }
    EXPECT_THROW(G::GregorianYearFromFixed(std::numeric_limits<std::int32_t>::min()), RangeError);
    EXPECT_THROW(TStandardDate::YearFromFixed(0), RangeError); // the date-time decoder knows years 1 to 9999
}

TEST(Gregorian, LeapYears)
{
    struct Row {
        std::int32_t year;
        bool leap;
    };
    const Row rows[] = {{1900, false}, {2000, true}, {2004, true}, {2100, false}, {2023, false},
                        {2400, true},  {1, false},   {4, true},    {0, true},     {-4, true},
                        {-100, false}, {-400, true}};
    for (const Row& row : rows)
        EXPECT_EQ(G::IsGregorianLeap(row.year), row.leap) << row.year;
}

TEST(Gregorian, DayAndMonthNames)
{
    struct DayRow {
        std::int32_t fixed;
        const char* name;
    };
    const DayRow days[] = {{1, "Monday"},     {7, "Sunday"},     {0, "Sunday"}, {-1, "Saturday"},
                           {730120, "Saturday"}, {739058, "Friday"}, {738945, "Thursday"}};
    for (const DayRow& row : days)
        EXPECT_EQ(G::DayName(row.fixed), row.name) << row.fixed;

    struct MonthRow {
        std::int32_t month;
        const char* name;
    };
    const MonthRow months[] = {{1, "January"}, {2, "February"}, {9, "September"}, {12, "December"},
                               {13, "January"}, {0, "December"}, {-1, "November"}};
    for (const MonthRow& row : months)
        EXPECT_EQ(G::MonthName(row.month), row.name) << row.month;
    EXPECT_THROW(G::DayName(std::numeric_limits<std::int32_t>::max()), RangeError);
}

TEST(Gregorian, SetFixedGivesTheCalendarDate)
{
    TGregorian date;
    date.SetFixed(738945);
    EXPECT_EQ(date.Year, 2024);
    EXPECT_EQ(date.Month, 2);
    EXPECT_EQ(date.Day, 29);
    date.SetFixed(730485);
    EXPECT_EQ(date.Year, 2000);
    EXPECT_EQ(date.Month, 12);
    EXPECT_EQ(date.Day, 31);
    date.SetFixed(-365); // before year 1: still plain arithmetic
    EXPECT_EQ(date.Year, 0);
    EXPECT_EQ(date.Month, 1);
    EXPECT_EQ(date.Day, 1);
}

// Every day of years 1 to 3000: the Gregorian arithmetic, the date-time encoder and decoder and the
// standard date all agree, and consecutive days have consecutive numbers.
TEST(Gregorian, EveryDayOfYears1To3000RoundTrips)
{
    std::int32_t expectedFixed = 1;
    TGregorian gregorian;
    TStandardDate standard;
    for (std::int32_t y = 1; y <= 3000; ++y)
        for (std::int32_t m = 1; m <= 12; ++m)
            for (std::int32_t d = 1; d <= 31; ++d) {
                if (!isValidDate(y, m, d))
                    continue;
                const std::int32_t fixed = G::FixedFromGregorian(y, m, d);
                ASSERT_EQ(fixed, expectedFixed) << y << '-' << m << '-' << d;
                gregorian.SetFixed(fixed);
                ASSERT_TRUE(gregorian.Year == y && gregorian.Month == m && gregorian.Day == d)
                    << "fixed " << fixed << " gave " << gregorian.Year << '-' << gregorian.Month << '-'
                    << gregorian.Day << ", expected " << y << '-' << m << '-' << d;
                ASSERT_EQ(gregorian.GetFixed(), fixed);
                ASSERT_EQ(G::GregorianYearFromFixed(fixed), y) << fixed;
                ASSERT_EQ(FixedFromDateTime(static_cast<std::int32_t>(encodeDate(y, m, d))), fixed)
                    << y << '-' << m << '-' << d;
                standard.SetFixed(fixed);
                ASSERT_TRUE(standard.IsEqual(gregorian)) << fixed;
                ASSERT_EQ(standard.GetFixed(), fixed);
                ++expectedFixed;
            }
}

TEST(Gregorian, LongText)
{
    TGregorian date(2000, 1, 1);
    EXPECT_EQ(date.ToLongString(), "Saturday, 1 January 2000");
    date.SetFixed(739058);
    EXPECT_EQ(date.ToLongString(), "Friday, 21 June 2024");
    // Gregorian arithmetic names days the date-time encoder cannot hold.
    EXPECT_EQ(TGregorian(12000, 3, 5).ToLongString(),
              G::DayName(G::FixedFromGregorian(12000, 3, 5)) + ", 5 March 12000");
}

TEST(Gregorian, FailedSetFixedLeavesTheDate)
{
    TGregorian date(2000, 1, 1);
    EXPECT_THROW(date.SetFixed(std::numeric_limits<std::int32_t>::min()), RangeError);
    EXPECT_EQ(date.Year, 2000);
    EXPECT_EQ(date.Month, 1);
    EXPECT_EQ(date.Day, 1);
}

} // namespace
} // namespace orbiclock
