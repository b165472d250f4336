#include "astro/MapProjection.h"

#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace orbiclock {
namespace {

struct ProjectionCase {
    double degrees;
    std::int32_t pixel;
};

// Landmarks of the 1600 × 1200 reference map.
TEST(LatitudeToMapY, Landmarks)
{
    const ProjectionCase cases[] = {{85, 133},  {81.25, 196}, {66.5, 385}, {55, 484},   {20, 657},
                                    {19.99, 658}, {0, 737},   {-55, 989}, {-60, 1022}, {-80, 1181}};
    for (const ProjectionCase& c : cases)
        EXPECT_EQ(LatitudeToMapY(c.degrees), c.pixel) << "latitude " << c.degrees;
}

TEST(LongitudeToMapX, Landmarks)
{
    const ProjectionCase cases[] = {{-180, 68}, {-90, 414}, {0, 761}, {90, 1107}, {180, 1454},
                                    {1, 765},   {-1, 757}}; // 764.6496, 756.9504
    for (const ProjectionCase& c : cases)
        EXPECT_EQ(LongitudeToMapX(c.degrees), c.pixel) << "longitude " << c.degrees;
}

// The sun table walks 85°N to 80°S in steps of 0.01° and writes a line whenever the row changes:
// every row from 133 to 1181 must come up, in order, exactly once.
TEST(LatitudeToMapY, HundredthDegreeStepsFrom85NTo80SVisitEveryRowOnce)
{
    std::vector<std::int32_t> newRows;
    std::int32_t previous = 0;
    for (int i = 8500; i >= -8000; --i) {
        const auto latitude = static_cast<double>(static_cast<long double>(i) / 100.0L);
        const std::int32_t y = LatitudeToMapY(latitude);
        ASSERT_GE(y, previous) << "row went back at latitude " << latitude;
        ASSERT_LE(y - previous, previous == 0 ? y : 1) << "row skipped at latitude " << latitude;
        if (y != previous)
            newRows.push_back(y);
        previous = y;
    }
    ASSERT_EQ(newRows.size(), 1049u);
    EXPECT_EQ(newRows.front(), 133);
    EXPECT_EQ(newRows.back(), 1181);
}

TEST(MapProjection, ResultsBeyond32BitsRaise)
{
    EXPECT_THROW(LatitudeToMapY(1e6), RangeError);
    EXPECT_THROW(LatitudeToMapY(-1e6), RangeError);
    EXPECT_THROW(LongitudeToMapX(1e12), RangeError);
    EXPECT_THROW(LongitudeToMapX(std::numeric_limits<double>::quiet_NaN()), RangeError);
    EXPECT_THROW(LatitudeToMapY(std::numeric_limits<double>::quiet_NaN()), RangeError);
}

} // namespace
} // namespace orbiclock
