#include "astro/LocationOffset.h"

#include "astro/Clock.h"
#include "astro/DateTime.h"
#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <utility>
#include <vector>

namespace orbiclock {

void PrintTo(const LocationOffset& offset, std::ostream* os)
{
    *os << "(" << offset.Hours << ", " << offset.Minutes << ")";
}

namespace {

DateTime at(int year, int month, int day, int hour = 0, int minute = 0)
{
    return encodeDate(year, month, day) + encodeTime(hour, minute, 0, 0);
}

/// Stored rule coding: N 0 last, 1..4, 5 second-last; J 0 Monday … 6 Sunday; M 0 January … 11 December.
struct StoredRules {
    std::int32_t nSummer, jSummer, mSummer, nWinter, jWinter, mWinter;
};

const StoredRules kEuropean{0, 6, 2, 0, 6, 9};    // last Sunday of March to last Sunday of October
const StoredRules kSouthEastern{1, 6, 9, 1, 6, 3}; // first Sunday of October to first Sunday of April

TLocationRec place(double gmtHours, bool usesSummerTime = false, StoredRules rules = kEuropean)
{
    TLocationRec rec;
    rec.IDX = 7;
    rec.name_City = "Somewhere";
    rec.UsesSummerTime = usesSummerTime;
    assignGmtOffset(rec, gmtHours);
    rec.N_summer = rules.nSummer;
    rec.J_summer = rules.jSummer;
    rec.M_summer = rules.mSummer;
    rec.N_winter = rules.nWinter;
    rec.J_winter = rules.jWinter;
    rec.M_winter = rules.mWinter;
    return rec;
}

TEST(GmtReferenceRecord, IsNamedGmtWithIndexMinusOneAndNothingElse)
{
    TLocationRec expected;
    expected.IDX = -1;
    expected.name_City = "GMT";
    EXPECT_EQ(GmtReferenceRecord(), expected);
}

TEST(AssignGmtOffset, SplitsTheOffsetIntoHoursMinutesAndSign)
{
    struct Case {
        double gmt;
        std::int32_t hours, minutes, sign;
    };
    const Case cases[] = {
        {5.5, 5, 30, 1},   {-3.5, 3, 30, -1},  {12.75, 12, 45, 1}, {-9.5, 9, 30, -1}, {5.75, 5, 45, 1},
        {0.0, 0, 0, 0},    {-0.0, 0, 0, 0},    {1.0, 1, 0, 1},     {-12.0, 12, 0, -1},
        {0.5, 0, 30, 1},   {-0.5, 0, 30, -1},
        // Minutes round halves to even: 0.125 h is 7.5 min, 0.375 h 22.5 min, 0.875 h 52.5 min.
        {1.125, 1, 8, 1},  {1.375, 1, 22, 1},  {-2.875, 2, 52, -1},
        // Fractions that are not exact in binary still give whole minutes.
        {5.45, 5, 27, 1},  {-4.1, 4, 6, -1},
    };
    for (const Case& c : cases) {
        TLocationRec rec;
        assignGmtOffset(rec, c.gmt);
        EXPECT_EQ(rec.GMTHours, c.hours) << "GMT " << c.gmt;
        EXPECT_EQ(rec.GMTMinutes, c.minutes) << "GMT " << c.gmt;
        EXPECT_EQ(rec.GMTSign, c.sign) << "GMT " << c.gmt;
    }
}

TEST(AssignGmtOffset, NonNumbersAndHugeOffsetsRaise)
{
    TLocationRec rec;
    EXPECT_THROW(assignGmtOffset(rec, std::numeric_limits<double>::quiet_NaN()), RangeError);
    EXPECT_THROW(assignGmtOffset(rec, std::numeric_limits<double>::infinity()), RangeError);
    EXPECT_THROW(assignGmtOffset(rec, -1e10), RangeError);
}

struct OffsetCase {
    const char* name;
    TLocationRec a, b;
    DateTime now;
    LocationOffset expected;
};

std::vector<OffsetCase> offsetCases()
{
    const TLocationRec gmt = GmtReferenceRecord();
    const DateTime january = at(2024, 1, 15, 12);
    const DateTime july = at(2024, 7, 15, 12);
    return {
        {"HalfHourEastOfGmt", gmt, place(5.5), january, {5, 30}},
        {"HalfHourEastOfGmtSwapped", place(5.5), gmt, january, {-5, -30}},
        {"WestWithSummerTime", gmt, place(-3.5, true, kSouthEastern), january, {-2, -30}},
        {"WestWithoutSummerTimeInJuly", gmt, place(-3.5, true, kSouthEastern), july, {-3, -30}},
        {"WestWithSummerTimeSwapped", place(-3.5, true, kSouthEastern), gmt, january, {2, 30}},
        {"SummerRulesIgnoredWhenNotUsed", gmt, place(1.0, false), july, {1, 0}},
        {"QuarterHours", gmt, place(12.75), january, {12, 45}},
        {"BerlinToDelhiInJuly", place(1.0, true), place(5.5), july, {3, 30}},
        {"BerlinToDelhiInJanuary", place(1.0, true), place(5.5), january, {4, 30}},
        // Hours and minutes are subtracted separately and not normalised: -3:30 to +5:30 is 8 h 60 min.
        {"NewfoundlandToDelhi", place(-3.5), place(5.5), january, {8, 60}},
        {"NepalFromDelhi", place(5.5), place(5.75), january, {0, 15}},
        {"DelhiFromNepal", place(5.75), place(5.5), january, {0, -15}},
        // Both places keep summer time, one in each hemisphere.
        {"BerlinToSydneyInJanuary", place(1.0, true), place(10.0, true, kSouthEastern), january, {10, 0}},
        {"BerlinToSydneyInJuly", place(1.0, true), place(10.0, true, kSouthEastern), july, {8, 0}},
        // b's rules are tested at now carried over to b's clock: Saturday 5 October 2024 20:00 at GMT is
        // Sunday 06:00 at +10, already summer time there.
        {"CarriedOverToBsClock", gmt, place(10.0, true, kSouthEastern), at(2024, 10, 5, 20), {11, 0}},
        {"NotYetOnBsClock", gmt, place(10.0, true, kSouthEastern), at(2024, 10, 5, 13, 59), {10, 0}},
        // The carry-over includes a's summer hour: 15:30 at +1 with summer time is 23:30 at +10.
        {"CarryOverIncludesAsSummerHour", place(1.0, true), place(10.0, true, kSouthEastern), at(2024, 10, 5, 15, 30),
         {8, 0}},
        // ... and b's minutes: 14:45 at GMT is 00:15 on Sunday at +9:30.
        {"CarryOverIncludesMinutes", gmt, place(9.5, true, kSouthEastern), at(2024, 10, 5, 14, 45), {10, 30}},
        {"CarryOverMinutesNotYet", gmt, place(9.5, true, kSouthEastern), at(2024, 10, 5, 14, 15), {9, 30}},
    };
}

void PrintTo(const OffsetCase& c, std::ostream* os)
{
    *os << c.name;
}

class ComputeLocationOffsetTest : public testing::TestWithParam<OffsetCase> {};

TEST_P(ComputeLocationOffsetTest, GivesHowFarBsClockIsAhead)
{
    const OffsetCase& c = GetParam();
    const FixedClock clock(c.now);
    const TLocationRec aBefore = c.a;
    const TLocationRec bBefore = c.b;
    EXPECT_EQ(ComputeLocationOffset(c.a, c.b, clock), c.expected);
    EXPECT_EQ(c.a, aBefore);
    EXPECT_EQ(c.b, bBefore);
}

INSTANTIATE_TEST_SUITE_P(Table, ComputeLocationOffsetTest, testing::ValuesIn(offsetCases()),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ComputeLocationOffset, AZeroSignCancelsWhateverTheHourAndMinuteFieldsHold)
{
    TLocationRec b = place(0.0);
    b.GMTHours = 5;
    b.GMTMinutes = 30;
    const FixedClock clock(at(2024, 1, 15));
    EXPECT_EQ(ComputeLocationOffset(GmtReferenceRecord(), b, clock), (LocationOffset{0, 0}));
}

/// Answers the given moments one after the other, the last one from then on.
class SequenceClock final : public Clock {
public:
    explicit SequenceClock(std::vector<DateTime> moments) : m_moments(std::move(moments)) {}
    DateTime now() const override
    {
        const DateTime moment = m_moments[m_next];
        if (m_next + 1 < m_moments.size())
            ++m_next;
        return moment;
    }

private:
    std::vector<DateTime> m_moments;
    mutable std::size_t m_next = 0;
};

TEST(ComputeLocationOffset, ReadsThePresentTimeSeparatelyForEachSummerTimeTest)
{
    // The clock moves from winter to summer between the two tests: a gets no summer hour, b does.
    const SequenceClock clock({at(2024, 1, 15), at(2024, 7, 15)});
    EXPECT_EQ(ComputeLocationOffset(place(1.0, true), place(1.0, true), clock), (LocationOffset{1, 0}));
}

TEST(ComputeLocationOffset, OverflowRaisesInsteadOfWrapping)
{
    TLocationRec huge = place(1.0, true);
    huge.GMTHours = std::numeric_limits<std::int32_t>::max();
    const FixedClock july(at(2024, 7, 15));
    EXPECT_THROW(ComputeLocationOffset(GmtReferenceRecord(), huge, july), RangeError); // summer hour
    const FixedClock january(at(2024, 1, 15));
    EXPECT_THROW(ComputeLocationOffset(huge, place(-2.0), january), RangeError); // difference
}

TEST(SignedWholeHours, PutsAPlusInFrontUnlessNegative)
{
    EXPECT_EQ(signedWholeHours(0), "+0");
    EXPECT_EQ(signedWholeHours(5), "+5");
    EXPECT_EQ(signedWholeHours(-5), "-5");
    EXPECT_EQ(signedWholeHours(-12), "-12");
    EXPECT_EQ(signedWholeHours(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}

} // namespace
} // namespace orbiclock
