#include "wallpaper/ClockOffset.h"

#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

namespace orbiclock {

void PrintTo(const ClockOffset& offset, std::ostream* os)
{
    *os << "{hours " << offset.hours << ", extra minutes " << offset.extraMinutes << "}";
}

namespace {

struct OffsetCase {
    const char* name;
    LocationOffset difference; // place minus current place, as ComputeLocationOffset gives it
    ClockOffset expected;
};

// Current place, place (stored offsets, no summer time): the difference and the clock offset.
const OffsetCase kCases[] = {
    {"plus1_and_plus5h30", {4, 30}, {4, 30}},
    {"plus1_and_minus3h30", {-4, -30}, {-6, 30}},
    {"zero_and_minus3h30", {-3, -30}, {-5, 30}},
    {"plus4_and_plus3h30", {-1, 30}, {-2, 30}},
    {"plus1_and_minus5", {-6, 0}, {-6, 0}},
    {"both_at_minus3h30", {0, 0}, {0, 0}},
    {"zero_and_plus5h45", {5, 45}, {5, 45}},
    {"zero_and_plus12h45", {12, 45}, {12, 45}},
    {"plus5h45_and_zero", {-5, -45}, {-7, 15}},
    {"plus6_and_plus5h45", {-1, 45}, {-2, 45}},
    {"plus5h30_and_plus5h45", {0, 15}, {0, 15}},
    {"minus3h30_and_plus5h30", {9, 0}, {9, 0}},
    {"thirty_minutes_behind", {0, -30}, {-2, 30}},
    {"a_whole_day_ahead_is_the_same_time", {24, 0}, {0, 0}},
    {"more_than_a_day_ahead", {26, 45}, {2, 45}},
    {"more_than_a_day_behind", {-25, -30}, {-3, 30}},
    {"nearly_a_day_ahead", {23, 45}, {23, 45}},
    {"nearly_a_day_behind", {-23, -45}, {-25, 15}},
};

TEST(ClockOffsetFor, GivesTheOffsetThatShowsTheDifference)
{
    for (const OffsetCase& c : kCases)
        EXPECT_EQ(clockOffsetFor(c.difference), c.expected) << c.name;
}

// What a clock's statements make of the computer's time, step by step as the page's script runs them:
// the whole-hour lines when there are no extra minutes, else the lines that add them.
int shownMinuteOfDay(const ClockOffset& offset, int computerHour, int computerMinute)
{
    int hours = 0;
    int minutes = computerMinute;
    const int extra = offset.extraMinutes;
    if (extra == 0) {
        if (offset.hours < 0) {
            const int wrapped = computerHour + (24 + offset.hours);
            hours = wrapped >= 24 ? wrapped - 24 : wrapped;
        } else {
            hours = computerHour + offset.hours;
        }
        if (hours > 23)
            hours -= 24;
        if (hours < 0)
            hours += 24;
    } else {
        hours = offset.hours < 0 ? computerHour + (24 + offset.hours + 1) : computerHour + offset.hours;
        minutes = computerMinute + extra;
        if (computerMinute > 59 - extra) {
            hours += 1;
            minutes = computerMinute - (60 - extra);
        }
        for (int pass = 0; pass < 2; ++pass) {
            if (hours > 23)
                hours -= 24;
            if (hours < 0)
                hours += 24;
        }
    }
    return hours * 60 + minutes;
}

// Every difference in quarter hours from 27 hours behind to 27 hours ahead, at every minute of the day:
// the clock shows the computer's time plus the difference, its hour within 0..23 and its minute 0..59.
TEST(ClockOffsetFor, ShowsTheComputersTimePlusTheDifferenceAtEveryMinute)
{
    for (int difference = -27 * 60; difference <= 27 * 60; difference += 15) {
        const LocationOffset split{difference / 60, difference % 60};
        const ClockOffset offset = clockOffsetFor(split);
        int failures = 0;
        for (int now = 0; now < 24 * 60 && failures < 3; ++now) {
            const int shown = shownMinuteOfDay(offset, now / 60, now % 60);
            const int expected = ((now + difference) % 1440 + 1440) % 1440;
            if (shown != expected) {
                ++failures;
                ADD_FAILURE() << "difference " << difference << " min at " << now / 60 << ":" << now % 60
                              << ": shown " << shown / 60 << ":" << shown % 60 << ", expected " << expected / 60
                              << ":" << expected % 60;
            }
        }
    }
}

TEST(ClockOffsetFor, RaisesOnOverflow)
{
    EXPECT_THROW(clockOffsetFor({std::numeric_limits<std::int32_t>::max(), 0}), RangeError);
}

} // namespace
} // namespace orbiclock
