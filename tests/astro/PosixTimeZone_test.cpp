// Reading POSIX TZ strings: the forms tzdata's zone files close with, the defaults, and rejection of
// everything malformed.

#include "astro/PosixTimeZone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <random>
#include <string>

namespace orbiclock {

void PrintTo(const PosixTransitionRule& r, std::ostream* os)
{
    *os << "{form " << static_cast<int>(r.form) << ", day " << r.dayOfYear << ", M" << r.month << "." << r.week << "."
        << r.weekday << " /" << r.timeSeconds << "s}";
}

void PrintTo(const PosixTimeZone& z, std::ostream* os)
{
    *os << z.standardName << " " << z.standardOffsetSeconds << "s";
    if (z.daylight) {
        *os << " " << z.daylight->name << " " << z.daylight->offsetSeconds << "s ";
        PrintTo(z.daylight->start, os);
        *os << " ";
        PrintTo(z.daylight->end, os);
    }
}

namespace {

using Form = PosixTransitionRule::Form;

PosixTransitionRule mwd(std::int32_t month, std::int32_t week, std::int32_t weekday, std::int32_t seconds = 7200)
{
    PosixTransitionRule r;
    r.form = Form::MonthWeekDay;
    r.month = month;
    r.week = week;
    r.weekday = weekday;
    r.timeSeconds = seconds;
    return r;
}

PosixTransitionRule dayOfYear(Form form, std::int32_t day, std::int32_t seconds = 7200)
{
    PosixTransitionRule r;
    r.form = form;
    r.dayOfYear = day;
    r.timeSeconds = seconds;
    return r;
}

PosixTimeZone zone(std::string name, std::int32_t offset)
{
    PosixTimeZone z;
    z.standardName = std::move(name);
    z.standardOffsetSeconds = offset;
    return z;
}

PosixTimeZone zone(std::string name, std::int32_t offset, std::string dst, std::int32_t dstOffset,
                   PosixTransitionRule start, PosixTransitionRule end)
{
    PosixTimeZone z = zone(std::move(name), offset);
    z.daylight = PosixDaylightTime{std::move(dst), dstOffset, start, end};
    return z;
}

struct ValidCase {
    const char* name;
    const char* text;
    PosixTimeZone expected;
};

// Footers as tzdata 2025b writes them (tail of each zone file), plus the forms POSIX allows.
const ValidCase kValid[] = {
    {"CentralEurope", "CET-1CEST,M3.5.0,M10.5.0/3",
     zone("CET", -3600, "CEST", -7200, mwd(3, 5, 0), mwd(10, 5, 0, 3 * 3600))},
    {"UsEastern", "EST5EDT,M3.2.0,M11.1.0", zone("EST", 18000, "EDT", 14400, mwd(3, 2, 0), mwd(11, 1, 0))},
    {"UsRulesByDefault", "EST5EDT", zone("EST", 18000, "EDT", 14400, mwd(3, 2, 0), mwd(11, 1, 0))},
    {"ExplicitPlusSign", "EST+5EDT+4,M3.2.0,M11.1.0",
     zone("EST", 18000, "EDT", 14400, mwd(3, 2, 0), mwd(11, 1, 0))},
    {"Sydney", "AEST-10AEDT,M10.1.0,M4.1.0/3",
     zone("AEST", -36000, "AEDT", -39600, mwd(10, 1, 0), mwd(4, 1, 0, 3 * 3600))},
    {"KathmanduQuotedName", "<+0545>-5:45", zone("+0545", -(5 * 3600 + 45 * 60))},
    {"India", "IST-5:30", zone("IST", -(5 * 3600 + 30 * 60))},
    {"IrelandNegativeSummer", "IST-1GMT0,M10.5.0,M3.5.0/1",
     zone("IST", -3600, "GMT", 0, mwd(10, 5, 0), mwd(3, 5, 0, 3600))},
    {"NuukNegativeTime", "<-02>2<-01>,M3.5.0/-1,M10.5.0/0",
     zone("-02", 7200, "-01", 3600, mwd(3, 5, 0, -3600), mwd(10, 5, 0, 0))},
    {"SantiagoHour24", "<-04>4<-03>,M9.1.6/24,M4.1.6/24",
     zone("-04", 14400, "-03", 10800, mwd(9, 1, 6, 86400), mwd(4, 1, 6, 86400))},
    {"ChathamMinutesInTimes", "<+1245>-12:45<+1345>,M9.5.0/2:45,M4.1.0/3:45",
     zone("+1245", -45900, "+1345", -49500, mwd(9, 5, 0, 9900), mwd(4, 1, 0, 13500))},
    {"LordHoweHalfHourShift", "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0",
     zone("+1030", -37800, "+11", -39600, mwd(10, 1, 0), mwd(4, 1, 0))},
    {"JulianAndZeroBased", "XXX3YYY,J60/1:30:15,300",
     zone("XXX", 10800, "YYY", 7200, dayOfYear(Form::JulianNoLeap, 60, 5415), dayOfYear(Form::ZeroBasedDay, 300))},
    {"AllYearSummer", "EST5EDT,0/0,J365/25",
     zone("EST", 18000, "EDT", 14400, dayOfYear(Form::ZeroBasedDay, 0, 0), dayOfYear(Form::JulianNoLeap, 365, 90000))},
    {"ExtendedHours", "AAA1BBB,M1.1.1/167,M12.5.6/-167",
     zone("AAA", 3600, "BBB", 0, mwd(1, 1, 1, 167 * 3600), mwd(12, 5, 6, -167 * 3600))},
    {"Utc", "UTC0", zone("UTC", 0)},
    {"OffsetWithSeconds", "LMT-0:17:30", zone("LMT", -1050)},
    {"LargestOffset", "ABC-24:59:59", zone("ABC", -(24 * 3600 + 59 * 60 + 59))},
};

TEST(PosixTimeZone, ReadsTheFormsOfTzdataFootersAndPosix)
{
    for (const auto& c : kValid) {
        try {
            const PosixTimeZone parsed = parsePosixTimeZone(c.text);
            EXPECT_EQ(parsed, c.expected) << c.name << ": " << c.text << "\n  expected "
                                          << ::testing::PrintToString(c.expected) << "\n  actual   "
                                          << ::testing::PrintToString(parsed);
        } catch (const std::exception& e) {
            ADD_FAILURE() << c.name << ": " << c.text << " raised " << e.what();
        }
    }
}

struct InvalidCase {
    const char* name;
    const char* text;
    const char* reason; // part of the message
};

const InvalidCase kInvalid[] = {
    {"Empty", "", "at least three"},
    {"ShortName", "AB1", "at least three"},
    {"NoOffset", "EST", "standard offset"},
    {"ShortQuotedName", "<AB>1", "at least three"},
    {"UnclosedQuote", "<ABC1", "'>' after a quoted name"},
    {"SpaceInQuotedName", "<A B>1", "only letters"},
    {"OffsetBeyond24Hours", "EST25", "beyond 24"},
    {"SixtyMinutes", "EST5:60", "beyond 59"},
    {"OffsetTooManyDigits", "EST0005", "too many digits"},
    {"OnlyTheStartRule", "EST5EDT,M3.2.0", "',' between"},
    {"MonthThirteen", "EST5EDT,M13.1.0,M11.1.0", "month 1-12"},
    {"MonthZero", "EST5EDT,M0.1.0,M11.1.0", "month 1-12"},
    {"WeekSix", "EST5EDT,M3.6.0,M11.1.0", "week 1-5"},
    {"WeekZero", "EST5EDT,M3.0.0,M11.1.0", "week 1-5"},
    {"WeekdaySeven", "EST5EDT,M3.2.7,M11.1.0", "weekday 0-6"},
    {"MissingDot", "EST5EDT,M3.2,M11.1.0", "'.' after the week"},
    {"JulianZero", "EST5EDT,J0,J300", "J1-J365"},
    {"Julian366", "EST5EDT,J60,J366", "J1-J365"},
    {"ZeroBased366", "EST5EDT,366,300", "0-365"},
    {"TimeBeyond167Hours", "EST5EDT,M3.2.0/168,M11.1.0", "beyond 167"},
    {"TextAfterRules", "EST5EDT,M3.2.0,M11.1.0x", "unexpected text"},
    {"TrailingSpace", "EST5 ", "at least three"},
    {"GarbageRule", "EST5EDT,X,Y", "expected a day"},
    {"ZoneName", "America/New_York", "standard offset"},
};

TEST(PosixTimeZone, RejectsMalformedStringsNamingThem)
{
    for (const auto& c : kInvalid) {
        try {
            const PosixTimeZone parsed = parsePosixTimeZone(c.text);
            ADD_FAILURE() << c.name << ": \"" << c.text << "\" was accepted as " << ::testing::PrintToString(parsed);
        } catch (const TimeZoneRuleError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("Invalid time zone rule \"" + std::string(c.text) + "\""), std::string::npos)
                << c.name << ": " << message;
            EXPECT_NE(message.find(c.reason), std::string::npos) << c.name << ": expected \"" << c.reason
                                                                 << "\" in: " << message;
        }
    }
}

// Mutated footers either parse into values inside their documented ranges or raise TimeZoneRuleError.
TEST(PosixTimeZone, MutatedStringsParseWithinRangeOrRaiseTheRuleError)
{
    const std::string alphabet = "ACEJMST0123456789<>+-:,./ \x01\xff";
    std::mt19937 random(20250607);
    int parsed = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string text = kValid[static_cast<std::size_t>(i) % std::size(kValid)].text;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t pos = text.empty() ? 0 : random() % (text.size() + 1);
            const char c = alphabet[random() % alphabet.size()];
            switch (random() % 3) {
            case 0:
                text.insert(pos, 1, c);
                break;
            case 1:
                if (pos < text.size())
                    text.erase(pos, 1);
                break;
            default:
                if (pos < text.size())
                    text[pos] = c;
                break;
            }
        }
        try {
            const PosixTimeZone z = parsePosixTimeZone(text);
            ++parsed;
            EXPECT_GE(z.standardName.size(), 3u) << text;
            EXPECT_LE(std::abs(z.standardOffsetSeconds), 24 * 3600 + 59 * 60 + 59) << text;
            if (z.daylight) {
                for (const PosixTransitionRule& r : {z.daylight->start, z.daylight->end}) {
                    EXPECT_LE(std::abs(r.timeSeconds), 167 * 3600 + 59 * 60 + 59) << text;
                    if (r.form == Form::MonthWeekDay) {
                        EXPECT_TRUE(r.month >= 1 && r.month <= 12 && r.week >= 1 && r.week <= 5 && r.weekday >= 0 &&
                                    r.weekday <= 6)
                            << text;
                    } else {
                        EXPECT_TRUE(r.dayOfYear >= (r.form == Form::JulianNoLeap ? 1 : 0) && r.dayOfYear <= 365)
                            << text;
                    }
                }
            }
        } catch (const TimeZoneRuleError&) {
        } catch (const std::exception& e) {
            ADD_FAILURE() << "\"" << text << "\" raised " << e.what();
        }
    }
    EXPECT_GT(parsed, 0) << "no mutation parsed: the mutations never exercised the accepting paths";
}

} // namespace
} // namespace orbiclock
