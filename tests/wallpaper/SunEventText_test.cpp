#include "wallpaper/SunEventText.h"

#include "PageTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace orbiclock {
namespace {

using pagetest::localTime;

constexpr double kSomeDay = 739000.0; // a fixed day number: any day with a whole part above 0
constexpr double kMinute = 1.0 / 1440.0;

struct OccurringCase {
    const char* name;
    double moment;
    bool nextDayRule;
    const char* expectedText;
    double expectedMoment;
    const char* expectedClock; // FormatClockTime("hh:nn") of the treated moment
};

const OccurringCase kOccurring[] = {
    {"sunset_before_midnight", kSomeDay + 1430 * kMinute, true, "1430", 1430 * kMinute, "23:50"},
    {"sunset_after_midnight_counts_as_next_day", kSomeDay + 1 + 10 * kMinute, true, "1450", 1 + 10 * kMinute,
     "00:10"},
    {"sunrise_after_midnight_stays_early", kSomeDay + 10 * kMinute, false, "10", 10 * kMinute, "00:10"},
    {"noon", kSomeDay + 0.5, false, "720", 0.5, "12:00"},
    {"evening_at_a_quarter_day_is_not_moved", kSomeDay + 0.25, true, "360", 0.25, "06:00"},
    {"rounds_to_the_nearest_minute_down", kSomeDay + 360.4 * kMinute, false, "360", 360.4 * kMinute, "06:00"},
    {"rounds_to_the_nearest_minute_up", kSomeDay + 360.6 * kMinute, false, "361", 360.6 * kMinute, "06:00"},
};

TEST(FormatSunEventTime, GivesTheMinuteOfTheDayOfAnOccurringEvent)
{
    const DateTime june = localTime(2024, 6, 21, 12);
    for (const OccurringCase& c : kOccurring) {
        double moment = c.moment;
        std::string text = "unchanged";
        FormatSunEventTime(moment, kSunsetMarker, c.nextDayRule, 40.0, june, text);
        EXPECT_EQ(text, c.expectedText) << c.name;
        EXPECT_NEAR(moment, c.expectedMoment, 1e-9) << c.name;
        EXPECT_EQ(FormatClockTime("hh:nn", moment), c.expectedClock) << c.name;
    }
}

struct MissingCase {
    const char* name;
    double latitude;
    int month;
    std::int32_t marker;
    const char* expected;
};

// The polar table: the texts make every test of a missing event false in the local summer and true
// in the local winter.
const MissingCase kMissing[] = {
    {"north_june_dawn", 70, 6, kDawnMarker, "-5000"},
    {"north_june_sunrise", 70, 6, kSunriseMarker, "-4000"},
    {"north_june_sunset", 70, 6, kSunsetMarker, "4000"},
    {"north_june_dusk", 70, 6, kDuskMarker, "5000"},
    {"north_december_dawn", 78, 12, kDawnMarker, "5000"},
    {"north_december_sunrise", 70, 12, kSunriseMarker, "4000"},
    {"north_december_sunset", 70, 12, kSunsetMarker, "-4000"},
    {"north_december_dusk", 78, 12, kDuskMarker, "-5000"},
    {"south_june_dawn", -78, 6, kDawnMarker, "5000"},
    {"south_june_sunset", -78, 6, kSunsetMarker, "-4000"},
    {"south_december_sunrise", -78, 12, kSunriseMarker, "-4000"},
    {"south_december_dusk", -78, 12, kDuskMarker, "5000"},
    {"north_april_counts_as_summer", 70, 4, kSunriseMarker, "-4000"},
    {"north_september_counts_as_summer", 70, 9, kSunsetMarker, "4000"},
    {"north_october_counts_as_winter", 70, 10, kSunriseMarker, "4000"},
    {"north_march_counts_as_winter", 70, 3, kDuskMarker, "-5000"},
    {"just_above_55_is_polar", 55.01, 12, kDawnMarker, "5000"},
    // A failed computation between 55°S and 55°N: the text makes that event's test never true, so the
    // colour follows the other events, whatever the month.
    {"mid_latitude_dawn_june", 40, 6, kDawnMarker, "-5000"},
    {"mid_latitude_dawn_december", 40, 12, kDawnMarker, "-5000"},
    {"mid_latitude_sunrise", -30, 1, kSunriseMarker, "-4000"},
    {"mid_latitude_sunset", 10, 7, kSunsetMarker, "4000"},
    {"mid_latitude_dusk", -55, 12, kDuskMarker, "5000"},
    {"exactly_55_is_mid_latitude", 55, 12, kSunsetMarker, "4000"},
};

TEST(FormatSunEventTime, GivesAMarkerForAMissingEvent)
{
    for (const MissingCase& c : kMissing) {
        double moment = 0.0;
        std::string text = "unchanged";
        FormatSunEventTime(moment, c.marker, true, c.latitude, localTime(2024, c.month, 15, 12), text);
        EXPECT_EQ(text, c.expected) << c.name;
        EXPECT_EQ(moment, -1.0) << c.name;
        EXPECT_EQ(FormatClockTime("hh:nn", moment), "--:--") << c.name;
    }
}

TEST(FormatSunEventTime, TreatsAMomentThatIsNoNumberAsMissing)
{
    const double values[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(), -3.5, 0.9};
    for (const double value : values) {
        double moment = value;
        std::string text;
        FormatSunEventTime(moment, kDawnMarker, false, 20.0, localTime(2024, 6, 1), text);
        EXPECT_EQ(text, "-5000") << value;
        EXPECT_EQ(moment, -1.0) << value;
    }
}

TEST(FormatClockTime, WritesTheTimeOfDayInThePattern)
{
    struct Case {
        const char* pattern;
        double moment;
        const char* expected;
    };
    const Case cases[] = {
        {"hh:nn", 0.25, "06:00"},
        {"h:nn", 0.25, "6:00"},
        {"h:nn", 0.75 + 5 * kMinute, "18:05"},
        {"hh:nn", kSomeDay + 0.5 + 59.9 / 86400.0, "12:00"}, // seconds are dropped, whole days ignored
        {"h:nn", 1.0 + 10 * kMinute, "0:10"},
        {"hh:nn", 1.0 - 0.1 / 86400.0, "23:59"},
        {"hh:nn", 0.0, "00:00"},
        {"h:nn", -1.0, "--:--"},
        {"hh:nn", -0.5, "--:--"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatClockTime(c.pattern, c.moment), c.expected) << c.pattern << " " << c.moment;
}

} // namespace
} // namespace orbiclock
