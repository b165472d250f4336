// The arithmetic between a stored place and the properties dialog's controls, without widgets.

#include "locations/LocationPropertiesValues.h"

#include "astro/MapProjection.h"
#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

namespace orbiclock {

void PrintTo(const SplitValue& v, std::ostream* os)
{
    *os << (v.side == kNegativeSide ? "neg " : "pos ") << v.whole << " " << v.minutes << "m";
}

void PrintTo(const MapPoint& p, std::ostream* os)
{
    *os << "(" << p.x << ", " << p.y << ")";
}

namespace {

struct SplitCase {
    const char* name;
    double stored;
    SplitValue shown;
    double storedBack; // what the controls write back untouched
};

void PrintTo(const SplitCase& c, std::ostream* os)
{
    *os << c.name;
}


class SplitRoundTrip : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitRoundTrip, ShowsSideWholePartAndWholeMinutesAndWritesThemBack)
{
    const SplitCase& c = GetParam();
    const SplitValue shown = splitIntoMinutes(c.stored);
    EXPECT_EQ(shown, c.shown) << c.name << ": stored " << c.stored;
    EXPECT_DOUBLE_EQ(joinCoordinate(shown), c.storedBack) << c.name;
    // The offset row joins the same way once its spinners hold whole numbers.
    EXPECT_DOUBLE_EQ(joinOffset(shown.side, shown.whole, shown.minutes), c.storedBack) << c.name;
    // A second opening shows the same: nothing drifts from one OK to the next.
    EXPECT_EQ(splitIntoMinutes(c.storedBack), c.shown) << c.name << ": after one round trip";
}

// Whole minutes written by the dialog itself, as the stored doubles end up.
const double kSouth33d56m = static_cast<double>(-(56.0L / 60.0L + 33.0L));
const double kSouth0d1m = static_cast<double>(-(1.0L / 60.0L));
const double kWest30d42m = static_cast<double>(-(42.0L / 60.0L + 30.0L));

INSTANTIATE_TEST_SUITE_P(
    Values, SplitRoundTrip,
    ::testing::Values(
        SplitCase{"fractionOfAMinuteIsLost", 2.51, {kPositiveSide, 2, 30}, 2.5},
        SplitCase{"quarterHourEast", 5.75, {kPositiveSide, 5, 45}, 5.75},
        SplitCase{"halfHourWest", -3.5, {kNegativeSide, 3, 30}, -3.5},
        SplitCase{"zeroIsNorthOrEast", 0.0, {kPositiveSide, 0, 0}, 0.0},
        SplitCase{"minusZeroIsNorthOrEast", -0.0, {kPositiveSide, 0, 0}, 0.0},
        SplitCase{"southernWholeDegrees", -60.0, {kNegativeSide, 60, 0}, -60.0},
        SplitCase{"dateLine", 180.0, {kPositiveSide, 180, 0}, 180.0},
        SplitCase{"truncatedNotRounded", 48.8566, {kPositiveSide, 48, 51}, 48.85},
        // A plain truncation shows these a minute short (55, 0 and 41) and loses a minute per OK.
        SplitCase{"wholeMinutesStoredBelow", kSouth33d56m, {kNegativeSide, 33, 56}, kSouth33d56m},
        SplitCase{"oneMinuteSouth", kSouth0d1m, {kNegativeSide, 0, 1}, kSouth0d1m},
        SplitCase{"wholeMinutesWest", kWest30d42m, {kNegativeSide, 30, 42}, kWest30d42m},
        SplitCase{"justBelowAWholeDegreeCarries", 10.999999999999998, {kPositiveSide, 11, 0}, 11.0}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SplitIntoMinutes, ValuesBeyondThirtyTwoBitsRaise)
{
    EXPECT_THROW(splitIntoMinutes(3e9), RangeError);
    EXPECT_THROW(splitIntoMinutes(-3e9), RangeError);
    EXPECT_THROW(splitIntoMinutes(std::numeric_limits<double>::quiet_NaN()), RangeError);
}

TEST(JoinCoordinate, TypedDecimalsOfTheMinutesAreKept)
{
    const double latitude = joinCoordinate({kPositiveSide, 48, 14.5});
    EXPECT_DOUBLE_EQ(latitude, 48.0 + 14.5 / 60.0);
    EXPECT_EQ(splitIntoMinutes(latitude), (SplitValue{kPositiveSide, 48, 14})) << "the next opening shows 14";
    EXPECT_DOUBLE_EQ(joinCoordinate({kNegativeSide, 12, 59.99}), -(12.0 + 59.99 / 60.0));
    EXPECT_DOUBLE_EQ(joinCoordinate({-1, 12, 30}), 12.5) << "an unselected side list counts as positive";
}

TEST(JoinOffset, SpinnerValuesAreRoundedHalvesToEvenFirst)
{
    struct Case {
        const char* name;
        int side;
        long double hours, minutes;
        double expected;
    } const cases[] = {
        {"whole", kPositiveSide, 5, 45, 5.75},
        {"minutesHalfDown", kPositiveSide, 5, 44.5L, 5.0 + 44.0 / 60.0},
        {"minutesHalfUp", kPositiveSide, 5, 45.5L, 5.0 + 46.0 / 60.0},
        {"hoursHalfToEven", kNegativeSide, 2.5L, 0, -2.0},
        {"hoursOver", kNegativeSide, 3.5L, 30, -4.5},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(joinOffset(c.side, c.hours, c.minutes), c.expected) << c.name;
}

TEST(MapPositionOf, ProjectsAndClampsIntoTheSpinnerRange)
{
    struct Case {
        const char* name;
        double latitude, longitude;
        MapPoint expected;
    } const cases[] = {
        {"origin", 0, 0, {761, 737}},
        {"farNorthWest", 85, -180, {68, 133}},
        {"farSouthEast", -80, 180, {1454, 1181}},
        {"southPoleStaysInRange", -90, 0, {761, 1280}},
        {"beyondTheDateLineClampsLeft", 0, -250, {0, 737}},
        {"beyondTheDateLineClampsRight", 0, 250, {1600, 737}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mapPositionOf(c.latitude, c.longitude), c.expected) << c.name;
}

TEST(PreviewOrigin, PutsTheMapPositionOnThePanelCentreRoundedHalvesToEven)
{
    struct Case {
        const char* name;
        std::int32_t width, height;
        MapPoint position, expected;
    } const cases[] = {
        {"topLeftCorner", 502, 435, {0, 0}, {251, 218}},
        {"mapOrigin", 502, 435, {761, 737}, {-510, -519}},
        {"farCorner", 502, 435, {1600, 1600}, {-1349, -1382}},
        {"oddWidthRoundsDownToEven", 501, 433, {100, 100}, {150, 116}},
        {"oddWidthRoundsUpToEven", 503, 437, {100, 100}, {152, 118}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(previewOrigin(c.width, c.height, c.position), c.expected) << c.name;
}

LocationRow sampleRow()
{
    LocationRow row;
    row.IDX = 7;
    row.id_City = 2988507;
    row.id_Timezone = 294;
    row.id_Country = 3017382;
    row.name_City = "Paris";
    row.name_Country = "France";
    row.name_Timezone = "kept";
    row.GMT = 1.0;
    row.UsesSummerTime = true;
    row.N_summer = 0;
    row.J_summer = 6;
    row.M_summer = 2;
    row.H_summer = 1;
    row.N_winter = 0;
    row.J_winter = 6;
    row.M_winter = 9;
    row.H_winter = 1;
    row.Latitude = 48.85;
    row.Longitude = 2.35;
    row.PosX = 770;
    row.PosY = 469;
    return row;
}

TEST(LocationPropertiesValues, AnUntouchedRowComesBackWithTheRuleHoursSet)
{
    const LocationRow row = sampleRow();
    const LocationPropertiesValues shown = valuesFromRow(row);
    EXPECT_EQ(shown.rules, (std::array<int, kRuleListCount>{0, 6, 2, 0, 6, 9}));
    EXPECT_EQ(shown.position, (MapPoint{770, 469}));
    LocationRow back = row;
    back.H_summer = back.H_winter = 99;
    writeValuesIntoRow(shown, back);
    LocationRow expected = row;
    expected.H_summer = 3;
    expected.H_winter = 2;
    EXPECT_EQ(back, expected);
}

TEST(LocationPropertiesValues, RuleCodesOutsideTheirListsAreUnselectedAndWrittenAsMinusOne)
{
    LocationRow row = sampleRow();
    row.N_summer = 6;   // one past "Second Last"
    row.J_summer = 7;   // one past "Sun"
    row.M_summer = -1;  // a zone without summer time
    row.N_winter = 5;
    row.J_winter = 0;
    row.M_winter = 12;
    const LocationPropertiesValues shown = valuesFromRow(row);
    EXPECT_EQ(shown.rules, (std::array<int, kRuleListCount>{-1, -1, -1, 5, 0, -1}));
    LocationRow back;
    writeValuesIntoRow(shown, back);
    EXPECT_EQ(back.N_summer, -1);
    EXPECT_EQ(back.J_summer, -1);
    EXPECT_EQ(back.M_summer, -1);
    EXPECT_EQ(back.N_winter, 5);
    EXPECT_EQ(back.J_winter, 0);
    EXPECT_EQ(back.M_winter, -1);
}

TEST(LocationPropertiesValues, WritingKeepsIdxAndZoneNameAndCutsTheCityName)
{
    LocationPropertiesValues values = valuesFromRow(sampleRow());
    std::string longName;
    for (int i = 0; i < 80; ++i)
        longName += "\xc3\xa9"; // é: two bytes, one character
    values.cityName = longName;
    values.zoneTag = 12;
    LocationRow row = sampleRow();
    writeValuesIntoRow(values, row);
    EXPECT_EQ(row.IDX, 7);
    EXPECT_EQ(row.name_Timezone, "kept");
    EXPECT_EQ(row.id_Timezone, 12);
    EXPECT_EQ(row.name_City, longName.substr(0, 2 * kMaxCityNameLength)) << "75 characters, not 75 bytes";
}

} // namespace
} // namespace orbiclock
