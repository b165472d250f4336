#include "wallpaper/LocationRecord.h"

#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <limits>

namespace orbiclock {
namespace {

LocationRow sampleRow()
{
    LocationRow row;
    row.IDX = 3;
    row.id_City = 101;
    row.id_Timezone = 202;
    row.id_Country = 303;
    row.name_City = "St. John's";
    row.name_Country = "Canada";
    row.name_Timezone = "Newfoundland";
    row.GMT = -3.5;
    row.UsesSummerTime = true;
    row.N_summer = 2;
    row.J_summer = 6;
    row.M_summer = 2;
    row.H_summer = 2;
    row.N_winter = 1;
    row.J_winter = 5;
    row.M_winter = 10;
    row.H_winter = 3;
    row.Latitude = 47.56;
    row.Longitude = -52.71;
    row.PosX = 560;
    row.PosY = 420;
    return row;
}

TEST(LocationRecFromRow, CopiesTheFieldsAndSplitsTheOffset)
{
    TLocationRec expected;
    expected.IDX = 3;
    expected.name_City = "St. John's";
    expected.id_City = 101;
    expected.id_Country = 303;
    expected.id_Timezone = 202;
    expected.UsesSummerTime = true;
    expected.GMTHours = 3;
    expected.GMTMinutes = 30;
    expected.GMTSign = -1;
    expected.N_summer = 2;
    expected.J_summer = 6;
    expected.M_summer = 2;
    expected.N_winter = 1;
    expected.J_winter = 5;
    expected.M_winter = 10;
    EXPECT_EQ(locationRecFromRow(sampleRow()), expected);
}

TEST(LocationRecFromRow, AnEmptyRowGivesAnEmptyRecord)
{
    EXPECT_EQ(locationRecFromRow(LocationRow{}), TLocationRec{});
}

TEST(LocationRecFromRow, AnOffsetThatIsNoNumberRaises)
{
    LocationRow row = sampleRow();
    row.GMT = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(locationRecFromRow(row), RangeError);
}

} // namespace
} // namespace orbiclock
