#include "astro/SummerTime.h"

#include "astro/DateTime.h"
#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <ostream>
#include <string>

namespace orbiclock {
namespace {

std::string dateText(std::int32_t day)
{
    const CivilDate d = decodeDate(day);
    return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
}

DateTime at(int year, int month, int day, int hour = 0, int minute = 0)
{
    return encodeDate(year, month, day) + encodeTime(hour, minute, 0, 0);
}

// ---- Weekday of month --------------------------------------------------------------------------

struct NthWeekdayCase {
    const char* name;
    std::int32_t n, weekday, month, year;
    int expectedYear, expectedMonth, expectedDay;
};

// Checked against a printed 2024 calendar (1 January 2024 was a Monday, 29 February a Thursday).
const NthWeekdayCase kNthWeekdayCases[] = {
    {"LastSundayMarch", 0, 7, 3, 2024, 2024, 3, 31},
    {"LastSundayOctober", 0, 7, 10, 2024, 2024, 10, 27},
    {"SecondLastSundayMarch", -1, 7, 3, 2024, 2024, 3, 24},
    {"FirstSundayOctober", 1, 7, 10, 2024, 2024, 10, 6},
    {"FirstSundayApril", 1, 7, 4, 2024, 2024, 4, 7},
    {"SecondSundayMarch", 2, 7, 3, 2024, 2024, 3, 10},
    {"FirstSundayNovember", 1, 7, 11, 2024, 2024, 11, 3},
    {"FourthThursdayNovember", 4, 4, 11, 2024, 2024, 11, 28},
    {"FirstMondayJanuaryIsTheFirst", 1, 1, 1, 2024, 2024, 1, 1},
    {"LastFridayMayIsTheLastDay", 0, 5, 5, 2024, 2024, 5, 31},
    {"LastMondayFebruaryLeapYear", 0, 1, 2, 2024, 2024, 2, 26},
    {"LastThursdayFebruaryLeapYear", 0, 4, 2, 2024, 2024, 2, 29},
    {"SecondLastThursdayFebruary", -1, 4, 2, 2024, 2024, 2, 22},
    {"FirstSaturdayJune", 1, 6, 6, 2024, 2024, 6, 1},
    {"FirstFridayJune", 1, 5, 6, 2024, 2024, 6, 7},
    {"LastSundayDecember", 0, 7, 12, 2024, 2024, 12, 29},
};

void PrintTo(const NthWeekdayCase& c, std::ostream* os)
{
    *os << c.name;
}

class NthWeekdayOfMonthTest : public testing::TestWithParam<NthWeekdayCase> {};

TEST_P(NthWeekdayOfMonthTest, FindsTheDay)
{
    const NthWeekdayCase& c = GetParam();
    const std::int32_t expected =
        static_cast<std::int32_t>(encodeDate(c.expectedYear, c.expectedMonth, c.expectedDay));
    const std::int32_t actual = NthWeekdayOfMonth(c.n, c.weekday, c.month, c.year);
    EXPECT_EQ(actual, expected) << "expected " << dateText(expected) << ", got " << dateText(actual);
}

INSTANTIATE_TEST_SUITE_P(Year2024, NthWeekdayOfMonthTest, testing::ValuesIn(kNthWeekdayCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(NthWeekdayOfMonth, EveryRuleOfEveryMonthFallsOnItsWeekdayInsideTheMonth)
{
    for (std::int32_t year : {1999, 2000, 2023, 2024, 2100}) {
        for (std::int32_t month = 1; month <= 12; ++month) {
            for (std::int32_t weekday = 1; weekday <= 7; ++weekday) {
                const std::int32_t last = NthWeekdayOfMonth(0, weekday, month, year);
                const std::int32_t first = NthWeekdayOfMonth(1, weekday, month, year);
                const CivilDate lastDate = decodeDate(last);
                const CivilDate firstDate = decodeDate(first);
                SCOPED_TRACE(std::to_string(year) + "-" + std::to_string(month) + " weekday " +
                             std::to_string(weekday));
                EXPECT_EQ(WeekdayNumber(last), weekday);
                EXPECT_EQ(WeekdayNumber(first), weekday);
                EXPECT_EQ(lastDate.month, month);
                EXPECT_EQ(firstDate.month, month);
                EXPECT_GT(lastDate.day + 7, DaysInMonthOf(month, year)) << "not the last one";
                EXPECT_LE(firstDate.day, 7) << "not the first one";
                EXPECT_EQ(NthWeekdayOfMonth(-1, weekday, month, year), last - 7);
                EXPECT_EQ(NthWeekdayOfMonth(4, weekday, month, year), first + 21);
            }
        }
    }
}

TEST(NthWeekdayOfMonth, AMonthOutsideTheYearRaises)
{
    EXPECT_THROW(NthWeekdayOfMonth(1, 7, 13, 2024), RangeError);
    EXPECT_THROW(NthWeekdayOfMonth(1, 7, 0, 2024), RangeError);
}

// ---- Calendar helpers --------------------------------------------------------------------------

TEST(DaysInMonthOf, Table)
{
    struct Case {
        std::int32_t month, year, days;
    };
    const Case cases[] = {{2, 1900, 28}, {2, 2000, 29}, {2, 2023, 28}, {2, 2024, 29}, {2, 2100, 28},
                          {1, 2023, 31}, {4, 2023, 30}, {6, 2023, 30}, {7, 2023, 31}, {8, 2023, 31},
                          {9, 2023, 30}, {11, 2023, 30}, {12, 2023, 31}, {13, 2000, 0}, {0, 2000, 0},
                          {-1, 2000, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(DaysInMonthOf(c.month, c.year), c.days) << "month " << c.month << " of " << c.year;
}

TEST(IsLeapYearOf, Table)
{
    struct Case {
        std::int32_t year;
        bool leap;
    };
    const Case cases[] = {{1900, false}, {2000, true}, {2023, false}, {2024, true},
                          {2100, false}, {2400, true}, {1, false},    {4, true}};
    for (const Case& c : cases)
        EXPECT_EQ(IsLeapYearOf(c.year), c.leap) << c.year;
}

TEST(WeekdayNumber, CountsMondayAsOneAndSundayAsSeven)
{
    // 1 January 2000 was a Saturday.
    struct Case {
        int day;
        std::int32_t weekday;
    };
    const Case cases[] = {{1, 6}, {2, 7}, {3, 1}, {4, 2}, {5, 3}, {6, 4}, {7, 5}, {8, 6}};
    for (const Case& c : cases)
        EXPECT_EQ(WeekdayNumber(at(2000, 1, c.day, 18)), c.weekday) << "January " << c.day << ", 2000";
}

TEST(MonthAndYearFromDate, DecodeEachRequestEvenWhenTheDayChangesBetweenCalls)
{
    struct Case {
        DateTime value;
        std::int32_t month, year;
    };
    // Alternating days: a cache that kept a stale entry would answer the previous day.
    const Case cases[] = {{at(2000, 1, 1, 18), 1, 2000}, {at(2024, 7, 15), 7, 2024},
                          {at(2024, 7, 15, 23, 59), 7, 2024}, {at(1999, 12, 31, 23, 59), 12, 1999},
                          {0.0, 12, 1899}, {-0.75, 12, 1899}, {-1.5, 12, 1899}, {at(9999, 12, 31), 12, 9999},
                          {at(1, 1, 1), 1, 1}, {at(2000, 1, 1), 1, 2000}};
    for (const Case& c : cases) {
        EXPECT_EQ(MonthFromDate(c.value), c.month) << c.value;
        EXPECT_EQ(YearFromDate(c.value), c.year) << c.value;
    }
    for (const Case& c : cases) {
        EXPECT_EQ(YearFromDate(c.value), c.year) << c.value;
        EXPECT_EQ(MonthFromDate(c.value), c.month) << c.value;
    }
}

TEST(MonthAndYearFromDate, ValuesBeyondTheCalendarRaiseAndLeaveTheCacheUsable)
{
    EXPECT_EQ(MonthFromDate(at(2024, 3, 5)), 3);
    EXPECT_THROW(MonthFromDate(1e10), RangeError);  // beyond 32 bits
    EXPECT_THROW(YearFromDate(-1e10), RangeError);
    EXPECT_THROW(MonthFromDate(3.0e6), RangeError); // within 32 bits, after year 9999
    EXPECT_EQ(MonthFromDate(at(2024, 3, 5)), 3);
    EXPECT_EQ(YearFromDate(at(2024, 3, 5)), 2024);
}

// ---- Summer-time test ----------------------------------------------------------------------------

struct Rule {
    std::int32_t n, weekday, month; // N as stored (0..5), J 1..7, M 1..12
};

struct SummerTimeCase {
    const char* name;
    Rule start, end;
    DateTime when;
    bool expected;
};

const Rule kLastSundayMarch{0, 7, 3};
const Rule kLastSundayOctober{0, 7, 10};
const Rule kFirstSundayOctober{1, 7, 10};
const Rule kFirstSundayApril{1, 7, 4};
const Rule kSecondLastSundayMarch{5, 7, 3};

const SummerTimeCase kSummerTimeCases[] = {
    // Northern rules: last Sunday of March to last Sunday of October 2024.
    {"NorthBeforeStart", kLastSundayMarch, kLastSundayOctober, at(2024, 3, 30, 23, 59), false},
    {"NorthStartMidnight", kLastSundayMarch, kLastSundayOctober, at(2024, 3, 31), true},
    {"NorthSummer", kLastSundayMarch, kLastSundayOctober, at(2024, 7, 1, 12), true},
    {"NorthBeforeEnd", kLastSundayMarch, kLastSundayOctober, at(2024, 10, 26, 23, 59), true},
    {"NorthEndMidnight", kLastSundayMarch, kLastSundayOctober, at(2024, 10, 27), false},
    {"NorthWinterJanuary", kLastSundayMarch, kLastSundayOctober, at(2024, 1, 15), false},
    {"NorthWinterDecember", kLastSundayMarch, kLastSundayOctober, at(2024, 12, 31, 23, 59), false},
    // Southern rules: first Sunday of October to first Sunday of April.
    {"SouthJanuary", kFirstSundayOctober, kFirstSundayApril, at(2024, 1, 15), true},
    {"SouthJune", kFirstSundayOctober, kFirstSundayApril, at(2024, 6, 1), false},
    {"SouthBeforeEnd", kFirstSundayOctober, kFirstSundayApril, at(2024, 4, 6, 12), true},
    {"SouthEndMidnight", kFirstSundayOctober, kFirstSundayApril, at(2024, 4, 7), false},
    {"SouthBeforeStart", kFirstSundayOctober, kFirstSundayApril, at(2024, 10, 5, 23, 59), false},
    {"SouthStartMidnight", kFirstSundayOctober, kFirstSundayApril, at(2024, 10, 6), true},
    {"SouthNewYearsEve", kFirstSundayOctober, kFirstSundayApril, at(2024, 12, 31, 23, 59), true},
    // "Second Last" is a week before the last.
    {"SecondLastBeforeStart", kSecondLastSundayMarch, kLastSundayOctober, at(2024, 3, 23, 23, 59), false},
    {"SecondLastStart", kSecondLastSundayMarch, kLastSundayOctober, at(2024, 3, 24), true},
    {"SecondLastAsEnd", kLastSundayMarch, kSecondLastSundayMarch, at(2024, 3, 24), false},
    // Equal start and end days: never summer time.
    {"EqualRulesOnTheDay", kLastSundayMarch, kLastSundayMarch, at(2024, 3, 31, 12), false},
    {"EqualRulesInSummer", kLastSundayMarch, kLastSundayMarch, at(2024, 7, 1), false},
    {"EqualRulesInWinter", kLastSundayMarch, kLastSundayMarch, at(2024, 1, 1), false},
    // Values out of range answer false, even on a day the valid rule would be in force.
    {"StartJZero", {0, 0, 3}, kLastSundayOctober, at(2024, 7, 1), false},
    {"EndJZero", kLastSundayMarch, {0, 0, 10}, at(2024, 7, 1), false},
    {"StartJEight", {0, 8, 3}, kLastSundayOctober, at(2024, 7, 1), false},
    {"StartNSix", {6, 7, 3}, kLastSundayOctober, at(2024, 7, 1), false},
    {"StartNNegative", {-1, 7, 3}, kLastSundayOctober, at(2024, 7, 1), false},
    {"EndNSix", kLastSundayMarch, {6, 7, 10}, at(2024, 7, 1), false},
    {"StartMZero", {0, 7, 0}, kLastSundayOctober, at(2024, 7, 1), false},
    {"EndMThirteen", kLastSundayMarch, {0, 7, 13}, at(2024, 7, 1), false},
};

void PrintTo(const SummerTimeCase& c, std::ostream* os)
{
    *os << c.name;
}

class IsSummerTimeTest : public testing::TestWithParam<SummerTimeCase> {};

TEST_P(IsSummerTimeTest, Rules)
{
    const SummerTimeCase& c = GetParam();
    EXPECT_EQ(IsSummerTime(c.start.n, c.start.weekday, c.start.month, c.end.n, c.end.weekday, c.end.month, c.when),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, IsSummerTimeTest, testing::ValuesIn(kSummerTimeCases),
                         [](const auto& row) { return std::string(row.param.name); });

// ---- Against the system's time-zone database -------------------------------------------------------

/// Sets TZ for the process and restores the previous setting on destruction.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_previous = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;
    ~ScopedTimeZone()
    {
        if (m_previous)
            setenv("TZ", m_previous->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_previous;
};

/// Whether the zone database keeps daylight-saving time at local noon of the given day.
bool databaseSaysSummerTime(int year, int month, int day)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    const std::time_t t = std::mktime(&local);
    std::tm back{};
    localtime_r(&t, &back);
    return back.tm_isdst > 0;
}

struct ZoneCase {
    const char* name;
    const char* zone;
    int year;
    Rule start, end;
};

// The zones' rules in the stored coding of the location table (J and M counted from 1 here).
const ZoneCase kZoneCases[] = {
    {"Berlin", "Europe/Berlin", 2024, kLastSundayMarch, kLastSundayOctober},
    {"London", "Europe/London", 2023, kLastSundayMarch, kLastSundayOctober},
    {"NewYork", "America/New_York", 2024, {2, 7, 3}, {1, 7, 11}},
    {"Sydney", "Australia/Sydney", 2024, kFirstSundayOctober, kFirstSundayApril},
    {"Auckland", "Pacific/Auckland", 2024, {0, 7, 9}, kFirstSundayApril},
    // Brazil's last rules (third Sunday of February to first Sunday of November) switched at 00:00.
    {"SaoPaulo", "America/Sao_Paulo", 2018, {1, 7, 11}, {3, 7, 2}},
};

void PrintTo(const ZoneCase& c, std::ostream* os)
{
    *os << c.zone << " " << c.year;
}

class SummerTimeAgainstZoneDatabase : public testing::TestWithParam<ZoneCase> {};

// The zones switch in the small hours of the change day and the rules at 00:00, so at local noon both
// agree on every day of the year, change days included.
TEST_P(SummerTimeAgainstZoneDatabase, AgreesOnEveryDayOfTheYear)
{
    const ZoneCase& c = GetParam();
    const ScopedTimeZone zone(c.zone);
    int summerDays = 0;
    for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= DaysInMonthOf(month, c.year); ++day) {
            const bool expected = databaseSaysSummerTime(c.year, month, day);
            summerDays += expected ? 1 : 0;
            EXPECT_EQ(IsSummerTime(c.start.n, c.start.weekday, c.start.month, c.end.n, c.end.weekday, c.end.month,
                                   at(c.year, month, day, 12)),
                      expected)
                << c.zone << " " << c.year << "-" << month << "-" << day;
        }
    }
    // A zone missing from the database would silently be UTC without summer time.
    EXPECT_GT(summerDays, 100) << c.zone << ": is tzdata installed?";
}

INSTANTIATE_TEST_SUITE_P(Tzdata, SummerTimeAgainstZoneDatabase, testing::ValuesIn(kZoneCases),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace orbiclock
