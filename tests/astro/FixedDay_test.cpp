#include "astro/DateTime.h"
#include "astro/FixedDay.h"
#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <limits>

namespace orbiclock {
namespace {

TEST(FixedDay, FromDateTimeDay)
{
    EXPECT_EQ(FixedFromDateTime(0), 693594);
    EXPECT_EQ(FixedFromDateTime(36526), 730120);   // 1 January 2000
    EXPECT_EQ(FixedFromDateTime(-693593), 1);      // 1 January 1
    EXPECT_EQ(FixedFromDateTime(static_cast<std::int32_t>(encodeDate(2024, 6, 21))), 739058);
    EXPECT_EQ(FixedFromDateTime(2146790053), std::numeric_limits<std::int32_t>::max());
}

TEST(FixedDay, OverflowRaises)
{
    EXPECT_THROW(FixedFromDateTime(2146790054), RangeError);
    EXPECT_THROW(FixedFromDateTime(std::numeric_limits<std::int32_t>::max()), RangeError);
    EXPECT_EQ(FixedFromDateTime(std::numeric_limits<std::int32_t>::min()),
              std::numeric_limits<std::int32_t>::min() + 693594);
}

} // namespace
} // namespace orbiclock
