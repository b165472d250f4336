#include "astro/DateTime.h"
#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

namespace orbiclock {
namespace {

TEST(DateTime, EncodeDecodeRoundTripEveryDayOfYears1To9999)
{
    int expectedDay = kMinDateTimeDay;
    for (int y = 1; y <= 9999; ++y)
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= 31; ++d) {
                if (!isValidDate(y, m, d))
                    continue;
                const DateTime dt = encodeDate(y, m, d);
                ASSERT_EQ(dt, expectedDay) << y << '-' << m << '-' << d;
                ASSERT_EQ(decodeDate(dt), (CivilDate{y, m, d}));
                ++expectedDay;
            }
    EXPECT_EQ(expectedDay - 1, kMaxDateTimeDay);
}

TEST(DateTime, InvalidDatesRaise)
{
    EXPECT_THROW(encodeDate(2023, 2, 29), RangeError);
    EXPECT_THROW(encodeDate(1900, 2, 29), RangeError);
    EXPECT_NO_THROW(encodeDate(2000, 2, 29));
    EXPECT_THROW(encodeDate(0, 12, 31), RangeError);
    EXPECT_THROW(encodeDate(10000, 1, 1), RangeError);
    EXPECT_THROW(encodeDate(2024, 13, 1), RangeError);
    EXPECT_THROW(decodeDate(kMaxDateTimeDay + 1.0), RangeError);
}

TEST(DateTime, WeekdaysAndTimeOfDay)
{
    EXPECT_EQ(dayOfWeek(encodeDate(1899, 12, 30)), 7); // Saturday
    EXPECT_EQ(dayOfWeek(encodeDate(2000, 1, 1)), 7);   // Saturday
    EXPECT_EQ(dayOfWeek(encodeDate(2024, 3, 31)), 1);  // Sunday
    EXPECT_EQ(dayOfWeek(encodeDate(1, 1, 1)), 2);      // Monday
    EXPECT_EQ(decodeTime(36526.75), (CivilTime{18, 0, 0, 0}));
    EXPECT_EQ(decodeTime(encodeTime(23, 59, 59, 999)), (CivilTime{23, 59, 59, 999}));
}

TEST(DateTime, ValuesWithoutADayRaise)
{
    const double notANumber = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    for (const double value : {notANumber, infinity, -infinity, kMinDateTimeDay - 1.0, 1e300}) {
        EXPECT_THROW(decodeDate(value), RangeError) << value;
        EXPECT_THROW(decodeTime(value), RangeError) << value;
        EXPECT_THROW(dayOfWeek(value), RangeError) << value;
        EXPECT_THROW(shortDateText(value), RangeError) << value;
    }
    // Before day 0 the time of day still counts from midnight, as the fraction's magnitude.
    EXPECT_EQ(decodeTime(-1.25), (CivilTime{6, 0, 0, 0}));
    EXPECT_EQ(decodeDate(-0.5), (CivilDate{1899, 12, 30}));
}

TEST(DateTime, ShortDateTextInTheCLocale)
{
    const std::string previous = std::setlocale(LC_TIME, nullptr);
    std::setlocale(LC_TIME, "C");
    EXPECT_EQ(shortDateText(encodeDate(2024, 6, 21) + 0.75), "06/21/24");
    EXPECT_EQ(shortDateText(kMinDateTimeDay), "01/01/01");
    std::setlocale(LC_TIME, previous.c_str());
}

} // namespace
} // namespace orbiclock
