#include "astro/DateTime.h"
#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace orbiclock
