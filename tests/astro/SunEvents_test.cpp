#include "astro/AstroErrors.h"
#include "astro/Gregorian.h"
#include "astro/Location.h"
#include "astro/ProtoDate.h"
#include "astro/SunPositionCache.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace orbiclock {
namespace {

using P = TProtoDate;

constexpr std::int32_t kJan1st2000 = 730120;
constexpr std::int32_t kJune21st2024 = 739058;

/// An event as every caller takes it: a failure counts as no event (0).
double guarded(const std::function<double()>& event)
{
    try {
        return event();
    } catch (const OrbiclockError&) {
        return 0.0;
    }
}

/// The four events of a day, as moments.
struct DayEvents {
    double dawn, sunrise, sunset, dusk;
};

DayEvents eventsOf(std::int32_t fixed, const TLocation& place)
{
    const double twilight = P::Angle(6, 0, 0);
    return {guarded([&] { return P::Dawn(fixed, place, twilight); }),
            guarded([&] { return P::Sunrise(fixed, place); }),
            guarded([&] { return P::Sunset(fixed, place); }),
            guarded([&] { return P::Dusk(fixed, place, twilight); })};
}

/// The event minus its day, or exactly 0 for no event, as the reference tables give them.
double sinceMidnight(double moment, std::int32_t fixed)
{
    return moment == 0.0 ? 0.0 : moment - fixed;
}

// ---- Reference days ----------------------------------------------------------------------------

struct EventRow {
    const char* name;
    std::int32_t fixed;
    double latitude;
    double dawn, sunrise, sunset, dusk; ///< fraction of the day, 0 for none
    double tolerance;
};

void PrintTo(const EventRow& row, std::ostream* out)
{
    *out << row.name;
}

class SunEventsReference : public testing::TestWithParam<EventRow> {};

TEST_P(SunEventsReference, MatchesAtGreenwich)
{
    const EventRow& row = GetParam();
    const TLocation place("GMT", row.latitude, 0, 0, 0);
    const DayEvents got = eventsOf(row.fixed, place);
    const struct {
        const char* event;
        double expected, actual;
    } checks[] = {{"dawn", row.dawn, sinceMidnight(got.dawn, row.fixed)},
                  {"sunrise", row.sunrise, sinceMidnight(got.sunrise, row.fixed)},
                  {"sunset", row.sunset, sinceMidnight(got.sunset, row.fixed)},
                  {"dusk", row.dusk, sinceMidnight(got.dusk, row.fixed)}};
    for (const auto& check : checks) {
        if (check.expected == 0.0)
            EXPECT_EQ(check.actual, 0.0) << check.event << ": expected no event, got " << check.actual;
        else
            EXPECT_NEAR(check.actual, check.expected, row.tolerance)
                << check.event << ": expected " << check.expected << ", got " << check.actual << ", error "
                << check.actual - check.expected;
    }
}

// Longitude 0, zone 0, elevation 0, 6° twilight. The 0.98° row is a line of the sun table for
// 1 January 2000 (values written to seven decimals).
INSTANTIATE_TEST_SUITE_P(
    Days, SunEventsReference,
    testing::Values(EventRow{"Jan2000_Equator", kJan1st2000, 0, 0.2341, 0.2497, 0.7549, 0.7705, 1e-4},
                    EventRow{"Jan2000_London", kJan1st2000, 51.5, 0.3096, 0.3373, 0.6674, 0.6952, 1e-4},
                    EventRow{"Jan2000_PolarNight70N", kJan1st2000, 70, 0.4100, 0, 0, 0.5949, 1e-4},
                    EventRow{"Jan2000_MidnightSun70S", kJan1st2000, -70, 0, 0, 0, 0, 1e-4},
                    EventRow{"Jun2024_60N", kJune21st2024, 60, 0.0342, 0.1082, 0.8944, 0.9684, 1e-4},
                    EventRow{"Jun2024_MidnightSun70N", kJune21st2024, 70, 0, 0, 0, 0, 1e-4},
                    EventRow{"Jan2000_SunTableRow0734", kJan1st2000, 0.98, 0.2352490, 0.2508531, 0.7537345,
                             0.7693337, 1.5e-7}),
    [](const testing::TestParamInfo<EventRow>& row) { return std::string(row.param.name); });

// ---- The parts of the model against worked examples --------------------------------------------

TEST(SunModel, PositionOfTheSunAgainstWorkedExamples)
{
    // Meeus, "Astronomical Algorithms", examples 22.a (10 April 1987) and 25.a / 28.b (13 October 1992).
    // The examples are given for dynamical time; a minute of difference is far inside the tolerances.
    const double april1987 = TGregorian::FixedFromGregorian(1987, 4, 10);
    const double october1992 = TGregorian::FixedFromGregorian(1992, 10, 13);
    EXPECT_NEAR(P::Obliquity(april1987), 23.4409464, 2e-6);                  // 23°26'27.407"
    EXPECT_NEAR(P::Nutation(april1987), -3.788 / 3600, 2e-4);                // short series: within 0.7"
    EXPECT_NEAR(P::SolarLongitude(october1992), 199.907347, 1e-3);           // apparent longitude
    EXPECT_NEAR(P::EquationOfTime(october1992) * 86400, 13 * 60 + 42.7, 1);  // 13m42.7s
    EXPECT_NEAR(P::Aberration(october1992), -20.539 / 3600, 2e-4);           // example 25.b; short formula
    EXPECT_NEAR(P::JulianCenturies(P::J2000), 67.0 / 86400 / 36525, 1e-12);  // ΔT of 2000 from the 1988-2019 row
}

TEST(SunModel, EphemerisCorrectionByYearRow)
{
    struct Row {
        std::int32_t year;
        double seconds, tolerance; ///< observed ΔT (Espenak and Meeus) or the row's own exact value
    };
    const Row rows[] = {
        {1650, 50, 3.5}, {1750, 13.4, 3.5}, {1800, 13.7, 3.5}, {1850, 7.1, 3.5}, {1899, -2.7, 3.5},
        {1900, -2.8, 3.5}, {1950, 29.1, 3.5}, {1987, 55.3, 3.5},
        {1988, 55, 1e-9}, {2019, 86, 1e-9}, {2024, 134, 1}, // "about 134 seconds in 2024"
    };
    for (const Row& row : rows) {
        const double midYear = TGregorian::FixedFromGregorian(row.year, 7, 1) + 0.5;
        EXPECT_NEAR(P::EphemerisCorrection(midYear) * 86400, row.seconds, row.tolerance) << row.year;
    }
    // The quadratic row grows with the distance from 1810, into the future and the past.
    EXPECT_GT(P::EphemerisCorrection(TGregorian::FixedFromGregorian(2100, 1, 1)),
              P::EphemerisCorrection(TGregorian::FixedFromGregorian(2024, 1, 1)));
    EXPECT_GT(P::EphemerisCorrection(TGregorian::FixedFromGregorian(1000, 1, 1)) * 86400, 1000);
    // Outside years 1 to 9999 the date-time decoder refuses the year.
    EXPECT_THROW(P::EphemerisCorrection(0.5), RangeError);
}

TEST(SunModel, TimeScales)
{
    const TLocation delhi("Delhi", 28.6, 77.2, 216, 5.5);
    EXPECT_DOUBLE_EQ(P::UniversalFromLocal(730120.5, delhi), 730120.5 - 77.2 / 360);
    EXPECT_DOUBLE_EQ(P::StandardFromUniversal(730120.5, delhi), 730120.5 + 5.5 / 24);
    EXPECT_DOUBLE_EQ(P::UniversalFromStandard(P::StandardFromUniversal(730120.5, delhi), delhi), 730120.5);
    EXPECT_DOUBLE_EQ(P::StandardFromLocal(730120.5, delhi), 730120.5 - 77.2 / 360 + 5.5 / 24);
    EXPECT_DOUBLE_EQ(P::LocalFromApparent(730120.5), 730120.5 - P::EquationOfTime(730120.5));
    EXPECT_DOUBLE_EQ(P::DynamicalFromUniversal(730120.5), 730120.5 + 67.0 / 86400); // 2000 − 1933 seconds
}

// ---- Depression and the searches ---------------------------------------------------------------

TEST(SunModel, MomentOfDepressionRaisesBogusTimeWhenTheSunNeverGetsThere)
{
    const TLocation arctic("Arctic", 80, 0, 0, 0);
    try {
        P::MomentOfDepression(arctic, true, kJan1st2000 + 0.25, P::Angle(0, 50, 0));
        FAIL() << "no error in the polar night";
    } catch (const InvalidOperationError& error) {
        EXPECT_STREQ(error.what(), "Bogus time");
    }
    EXPECT_EQ(P::SafeMomentOfDepression(arctic, true, kJan1st2000 + 0.25, P::Angle(0, 50, 0)), 0.0);
    // Failures of any kind become 0: a latitude that is not a number, a day outside years 1 to 9999.
    const TLocation nowhere("Nowhere", std::nan(""), 0, 0, 0);
    EXPECT_EQ(P::SafeMomentOfDepression(nowhere, true, kJan1st2000 + 0.25, 6), 0.0);
    const TLocation equator("Equator", 0, 0, 0, 0);
    EXPECT_EQ(P::SafeMomentOfDepression(equator, true, 0.25, 6), 0.0);
    EXPECT_EQ(P::Dawn(0, equator, 6), 0.0);
    EXPECT_EQ(P::Dusk(0, equator, 6), 0.0);
}

TEST(SunModel, MorningAndEveningAreSymmetricAboutApparentNoon)
{
    // On the equator at an equinox the hour angle of a depression is nearly the same morning and evening:
    // the two local apparent times add up to one apparent day.
    const TLocation equator("Equator", 0, 0, 0, 0);
    const std::int32_t march2024 = TGregorian::FixedFromGregorian(2024, 3, 20);
    const double morning = P::MomentOfDepression(equator, true, march2024 + 0.25, 6);
    const double evening = P::MomentOfDepression(equator, false, march2024 + 0.75, 6);
    EXPECT_NEAR(morning + P::EquationOfTime(morning) + evening + P::EquationOfTime(evening), 2.0 * march2024 + 1.0,
                1e-4);
    EXPECT_NEAR(evening - morning, 0.5 + 2 * 6.0 / 360, 2e-3); // 6° each side of the 12-hour day
}

TEST(SunModel, RefinementFailureEscapesNearThePolarCircles)
{
    // Close to the latitudes where an event stops happening, a trial (declination at the trial moment)
    // still finds the event while the refined moment does not: the unprotected second evaluation raises.
    enum Event { kDawn, kSunrise, kSunset, kDusk };
    struct Row {
        const char* name;
        Event event;
        double latitude;
    };
    const Row rows[] = {
        {"dawn, edge of the all-night twilight", kDawn, -60.95},
        {"sunrise, edge of the midnight sun", kSunrise, -66.11},
        {"sunset, edge of the polar night", kSunset, 67.81},
        {"dusk, edge of the polar night twilight", kDusk, 72.98},
    };
    for (const Row& row : rows) {
        const TLocation place("GMT", row.latitude, 0, 0, 0);
        try {
            switch (row.event) {
            case kDawn: P::Dawn(kJan1st2000, place, 6); break;
            case kSunrise: P::Sunrise(kJan1st2000, place); break;
            case kSunset: P::Sunset(kJan1st2000, place); break;
            case kDusk: P::Dusk(kJan1st2000, place, 6); break;
            }
            ADD_FAILURE() << row.name << ": no error";
        } catch (const InvalidOperationError& error) {
            EXPECT_STREQ(error.what(), "Bogus time") << row.name;
        }
    }
}

TEST(SunModel, DuskRetriesFromTheStartOfTheDay)
{
    // 1 January 2000 at 66.17°S: the sun sets only just after midnight. The trial at 18:00 fails, the
    // trial at 23:45 lands on the next day, so Dusk tries the start of the day, which finds nothing.
    const TLocation place("GMT", -66.17, 0, 0, 0);
    const double alpha = P::Angle(0, 50, 0);
    ASSERT_EQ(P::SafeMomentOfDepression(place, false, kJan1st2000 + 0.75, alpha), 0.0);
    ASSERT_GT(P::SafeMomentOfDepression(place, false, kJan1st2000 + 0.99, alpha), kJan1st2000 + 1.0);
    ASSERT_EQ(P::SafeMomentOfDepression(place, false, kJan1st2000, alpha), 0.0);
    EXPECT_EQ(P::Sunset(kJan1st2000, place), 0.0);
    // A hundredth of a degree north the late trial stays on the day and gives a sunset before midnight.
    const TLocation north("GMT", -66.16, 0, 0, 0);
    const double sunset = P::Sunset(kJan1st2000, north) - kJan1st2000;
    EXPECT_GT(sunset, 0.99);
    EXPECT_LT(sunset, 1.0);
}

// ---- Place: longitude, zone and elevation ------------------------------------------------------

TEST(SunEvents, LongitudeAndZoneShiftTheClock)
{
    const TLocation greenwich("GMT", 30, 0, 0, 0);
    const TLocation east("East", 30, 45, 0, 0);
    const TLocation eastWithZone("East", 30, 45, 0, 3);
    const DayEvents g = eventsOf(kJune21st2024, greenwich);
    const DayEvents e = eventsOf(kJune21st2024, east);
    const DayEvents z = eventsOf(kJune21st2024, eastWithZone);
    const double shift = 45.0 / 360;
    EXPECT_NEAR(g.dawn - e.dawn, shift, 2e-4);
    EXPECT_NEAR(g.sunrise - e.sunrise, shift, 2e-4);
    EXPECT_NEAR(g.sunset - e.sunset, shift, 2e-4);
    EXPECT_NEAR(g.dusk - e.dusk, shift, 2e-4);
    // Zone = Longitude / 15 brings the standard times back to the local solar times.
    EXPECT_NEAR(z.sunrise, g.sunrise, 2e-4);
    EXPECT_NEAR(z.sunset, g.sunset, 2e-4);
    EXPECT_DOUBLE_EQ(z.sunrise - e.sunrise, 3.0 / 24);
}

TEST(SunEvents, ElevationLowersTheHorizon)
{
    TLocation place("Hill", 0, 0, 0, 0);
    const double flatRise = P::Sunrise(kJan1st2000, place);
    const double flatSet = P::Sunset(kJan1st2000, place);
    place.Elevation = 1000;
    const double hillRise = P::Sunrise(kJan1st2000, place);
    const double hillSet = P::Sunset(kJan1st2000, place);
    // The dip from 1000 m is about 1.0°, some four minutes of the sun's climb at the equator.
    EXPECT_LT(hillRise, flatRise);
    EXPECT_GT(hillSet, flatSet);
    EXPECT_NEAR((flatRise - hillRise) * 1440, 4.4, 0.5);
    EXPECT_NEAR((hillSet - flatSet) * 1440, 4.4, 0.5);
    // Twilight is measured from the true horizon: elevation does not move it.
    place.Elevation = 0;
    const double flatDawn = P::Dawn(kJan1st2000, place, 6);
    place.Elevation = 1000;
    EXPECT_EQ(P::Dawn(kJan1st2000, place, 6), flatDawn);
    // Below sea level counts as sea level.
    place.Elevation = -400;
    EXPECT_EQ(P::Sunrise(kJan1st2000, place), flatRise);
    EXPECT_EQ(P::Sunset(kJan1st2000, place), flatSet);
}

// ---- Whole year --------------------------------------------------------------------------------

TEST(SunEvents, EveryDayOfAYearKeepsItsOrderBetween60Sand60N)
{
    const std::int32_t first = TGregorian::FixedFromGregorian(2024, 1, 1);
    const std::int32_t last = TGregorian::FixedFromGregorian(2024, 12, 31);
    TLocation place("GMT", 0, 0, 0, 0);
    int failures = 0;
    for (int latitude = -60; latitude <= 60; latitude += 2) {
        place.Latitude = latitude;
        for (std::int32_t fixed = first; fixed <= last && failures < 10; ++fixed) {
            const double twilight = P::Angle(6, 0, 0);
            // No guard: between 60°S and 60°N every event exists, so any error is a fault.
            const DayEvents e{P::Dawn(fixed, place, twilight), P::Sunrise(fixed, place), P::Sunset(fixed, place),
                              P::Dusk(fixed, place, twilight)};
            const bool ordered = fixed <= e.dawn && e.dawn < e.sunrise && e.sunrise < e.sunset && e.sunset < e.dusk &&
                                 e.dusk < fixed + 1;
            if (!ordered) {
                ++failures;
                ADD_FAILURE() << "latitude " << latitude << ", day " << fixed << ": dawn " << e.dawn - fixed
                              << ", sunrise " << e.sunrise - fixed << ", sunset " << e.sunset - fixed << ", dusk "
                              << e.dusk - fixed;
            }
        }
    }
}

// ---- Reusing the sun's position ----------------------------------------------------------------

TEST(SunEvents, RememberedSunPositionsGiveBitIdenticalResults)
{
    // The sun table order: all rows of a day at longitude 0, then places with their own longitudes.
    struct Case {
        double latitude, longitude, zone;
    };
    std::vector<Case> cases;
    for (int i = 8500; i >= -8000; i -= 37)
        cases.push_back({i / 100.0, 0, 0});
    cases.push_back({51.5, -0.13, 0});
    cases.push_back({28.6, 77.2, 5.5});
    cases.push_back({-33.9, 151.2, 10});
    cases.push_back({64.1, -21.9, 0});

    const auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
    for (const std::int32_t fixed : {kJan1st2000, kJune21st2024, kJune21st2024 + 1}) {
        std::vector<DayEvents> remembered;
        clearSunPositionCache();
        for (const Case& c : cases)
            remembered.push_back(eventsOf(fixed, TLocation("GMT", c.latitude, c.longitude, 0, c.zone)));
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const TLocation place("GMT", cases[i].latitude, cases[i].longitude, 0, cases[i].zone);
            const auto fresh = [&](const std::function<double()>& event) {
                clearSunPositionCache();
                return guarded(event);
            };
            const DayEvents f{fresh([&] { return P::Dawn(fixed, place, 6); }),
                              fresh([&] { return P::Sunrise(fixed, place); }),
                              fresh([&] { return P::Sunset(fixed, place); }),
                              fresh([&] { return P::Dusk(fixed, place, 6); })};
            const DayEvents& r = remembered[i];
            EXPECT_TRUE(bits(f.dawn) == bits(r.dawn) && bits(f.sunrise) == bits(r.sunrise) &&
                        bits(f.sunset) == bits(r.sunset) && bits(f.dusk) == bits(r.dusk))
                << "day " << fixed << ", latitude " << cases[i].latitude << ", longitude " << cases[i].longitude;
        }
    }
}

} // namespace
} // namespace orbiclock
