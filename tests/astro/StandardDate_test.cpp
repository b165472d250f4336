#include "astro/Gregorian.h"
#include "astro/OrbiclockError.h"
#include "astro/StandardDate.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cstdint>
#include <string>
#include <vector>

namespace orbiclock {
namespace {

/// Sets LC_TIME for one test and puts the previous setting back.
class TimeLocale {
public:
    explicit TimeLocale(const char* name) : m_previous(std::setlocale(LC_TIME, nullptr))
    {
        if (std::setlocale(LC_TIME, name) == nullptr)
            throw std::runtime_error(std::string("locale not available: ") + name);
    }
    ~TimeLocale() { std::setlocale(LC_TIME, m_previous.c_str()); }
    TimeLocale(const TimeLocale&) = delete;
    TimeLocale& operator=(const TimeLocale&) = delete;

private:
    std::string m_previous;
};

TEST(StandardDate, ConvertsThroughTheDateTimeValue)
{
    TStandardDate date(2000, 1, 1);
    EXPECT_EQ(date.AsDateTime(), 36526.0);
    EXPECT_EQ(date.GetFixed(), 730120);
    date.SetFixed(693594);
    EXPECT_TRUE(date.Year == 1899 && date.Month == 12 && date.Day == 30);
    date.SetFromDateTime(36526.75); // the time of day is dropped
    EXPECT_TRUE(date.Year == 2000 && date.Month == 1 && date.Day == 1);
    date.SetFixed(1);
    EXPECT_TRUE(date.Year == 1 && date.Month == 1 && date.Day == 1);
}

TEST(StandardDate, InvalidFieldsRaiseTheDateError)
{
    struct Row {
        const char* name;
        std::int32_t year, month, day;
    };
    const Row rows[] = {
        {"no leap day in 2023", 2023, 2, 29}, {"month 13", 2024, 13, 1},   {"day 0", 2024, 1, 0},
        {"year 0", 0, 1, 1},                  {"year 10000", 10000, 1, 1}, {"empty object", 0, 0, 0},
        {"wraps to 2000 in 16 bits", 65536 + 2000, 1, 1},
    };
    for (const Row& row : rows) {
        const TStandardDate date(row.year, row.month, row.day);
        EXPECT_THROW(date.AsDateTime(), RangeError) << row.name;
        EXPECT_THROW(date.GetFixed(), RangeError) << row.name;
        EXPECT_THROW(date.ToString(), RangeError) << row.name;
        EXPECT_THROW(date.ToLongString(), RangeError) << row.name;
    }
    try {
        TStandardDate(2023, 2, 29).AsDateTime();
        FAIL() << "no error";
    } catch (const RangeError& error) {
        EXPECT_STREQ(error.what(), "Invalid date: 2023-02-29");
    }
    TStandardDate date;
    EXPECT_THROW(date.SetFixed(0), RangeError);          // year 0
    EXPECT_THROW(date.SetFixed(693594 + 2958466), RangeError); // year 10000
}

TEST(StandardDate, SetFieldsTakesTheFirstThree)
{
    TStandardDate date;
    const std::vector<std::int32_t> values = {2024, 2, 29, 17, 99};
    date.SetFields(values);
    EXPECT_TRUE(date.Year == 2024 && date.Month == 2 && date.Day == 29);
    const std::array<std::int32_t, 2> tooFew = {2024, 2};
    EXPECT_THROW(date.SetFields(tooFew), RangeError);
    EXPECT_EQ(date.Day, 29);
}

TEST(StandardDate, ShortAndLongText)
{
    const TimeLocale locale("C");
    const TStandardDate standard(2000, 1, 1);
    EXPECT_EQ(standard.ToString(), "01/01/00");
    EXPECT_EQ(standard.ToLongString(), "01/01/00"); // the long text of a standard date is its short text
    const TGregorian gregorian(2024, 2, 29);
    EXPECT_EQ(gregorian.ToString(), "02/29/24");
    EXPECT_EQ(gregorian.ToLongString(), "Thursday, 29 February 2024");
    EXPECT_EQ(TStandardDate(9999, 12, 31).ToString(), "12/31/99");
}

TEST(StandardDate, ShortTextFollowsTheTimeLocale)
{
    std::unique_ptr<TimeLocale> locale;
    try {
        locale = std::make_unique<TimeLocale>("de_DE.UTF-8");
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    }
    EXPECT_EQ(TStandardDate(2024, 2, 29).ToString(), "29.02.2024");
}

} // namespace
} // namespace orbiclock
