// The texts of the place list's cells.

#include "locations/LocationTexts.h"

#include "locations/LocationRow.h"

#include <gtest/gtest.h>

namespace orbiclock {
namespace {

struct NumberCase {
    const char* name;
    double value;
    const char* expected;
};

void PrintTo(const NumberCase& c, std::ostream* os)
{
    *os << c.name << " (" << c.value << " -> " << c.expected << ")";
}

std::string caseName(const ::testing::TestParamInfo<NumberCase>& p)
{
    return p.param.name;
}

class LongitudeText : public ::testing::TestWithParam<NumberCase> {};
TEST_P(LongitudeText, OneDecimalDegreeSignAndSide)
{
    EXPECT_EQ(tblLocationsLongitudeGetText(GetParam().value).toStdString(), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, LongitudeText,
                         ::testing::Values(NumberCase{"east", 2.5, "2.5°E"},
                                           NumberCase{"westHalfAwayFromZero", -0.25, "0.3°W"},
                                           NumberCase{"zeroIsEast", 0.0, "0.0°E"},
                                           NumberCase{"negativeZeroIsEast", -0.0, "0.0°E"},
                                           NumberCase{"westRoundsToZero", -0.04, "0.0°W"},
                                           NumberCase{"decimalHalfNotBinary", 2.45, "2.5°E"},
                                           NumberCase{"carryIntoDegrees", 179.96, "180.0°E"},
                                           NumberCase{"farWest", -157.8583, "157.9°W"}),
                         caseName);

class LatitudeText : public ::testing::TestWithParam<NumberCase> {};
TEST_P(LatitudeText, OneDecimalDegreeSignAndSide)
{
    EXPECT_EQ(tblLocationsLatitudeGetText(GetParam().value).toStdString(), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, LatitudeText,
                         ::testing::Values(NumberCase{"south", -8.75, "8.8°S"}, NumberCase{"north", 51.5074, "51.5°N"},
                                           NumberCase{"equatorIsNorth", 0.0, "0.0°N"},
                                           NumberCase{"pole", -90.0, "90.0°S"}),
                         caseName);

class GmtText : public ::testing::TestWithParam<NumberCase> {};
TEST_P(GmtText, PlusBeforeValuesFromZeroUp)
{
    EXPECT_EQ(tblLocationsGMTGetText(GetParam().value).toStdString(), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, GmtText,
                         ::testing::Values(NumberCase{"halfHour", 5.5, "+5.5"}, NumberCase{"zero", 0.0, "+0.0"},
                                           NumberCase{"quarterRoundsUp", 5.75, "+5.8"},
                                           NumberCase{"westKeepsMinus", -3.5, "-3.5"},
                                           NumberCase{"westQuarter", -9.25, "-9.3"},
                                           NumberCase{"twoDigits", 12.75, "+12.8"}),
                         caseName);

TEST(CityText, OnlyTheCurrentLocationIsMarked)
{
    LocationRow row;
    row.name_City = "Zürich";
    row.name_Country = "Switzerland";
    row.IDX = 0;
    EXPECT_EQ(tblLocationsname_CityGetText(row).toStdString(), "Zürich (current location)");
    row.IDX = 1;
    EXPECT_EQ(tblLocationsname_CityGetText(row).toStdString(), "Zürich");
    EXPECT_EQ(tblLocationsname_CountryGetText(row).toStdString(), "Switzerland");
}

} // namespace
} // namespace orbiclock
