// The system's time-zone record: built from POSIX rules, from the installed tzdata through TZ and the
// local time file, and what becomes of zones the record cannot hold.

#include "astro/SystemTimeZoneInfo.h"

#include "TestTzif.h"

#include <gtest/gtest.h>

#include <fstream>
#include <ostream>

namespace orbiclock {

void PrintTo(const SystemTime& t, std::ostream* os)
{
    *os << "{M" << t.wMonth << " dow " << t.wDayOfWeek << " day " << t.wDay << " " << t.wHour << ":" << t.wMinute << ":"
        << t.wSecond << "." << t.wMilliseconds << (t.wYear != 0 ? " with a year" : "") << "}";
}

void PrintTo(const TimeZoneInformation& i, std::ostream* os)
{
    *os << "Bias " << i.Bias << " " << i.StandardName << " StandardBias " << i.StandardBias << " DaylightBias "
        << i.DaylightBias << " " << i.DaylightName << " DaylightDate ";
    PrintTo(i.DaylightDate, os);
    *os << " StandardDate ";
    PrintTo(i.StandardDate, os);
}

namespace {

SystemTime recurring(std::uint16_t month, std::uint16_t dayOfWeek, std::uint16_t day, std::uint16_t hour = 2,
                     std::uint16_t minute = 0)
{
    SystemTime t;
    t.wMonth = month;
    t.wDayOfWeek = dayOfWeek;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    return t;
}

TimeZoneInformation info(std::int32_t bias, std::string standardName, std::int32_t daylightBias = 0,
                         std::string daylightName = "", SystemTime daylightDate = {}, SystemTime standardDate = {})
{
    TimeZoneInformation i;
    i.Bias = bias;
    i.StandardName = std::move(standardName);
    i.DaylightBias = daylightBias;
    i.DaylightName = std::move(daylightName);
    i.DaylightDate = daylightDate;
    i.StandardDate = standardDate;
    return i;
}

struct RuleCase {
    const char* name;
    const char* rule;
    TimeZoneInformation expected;
    const char* note; // nullptr: no note expected; else a part of the one note
};

const RuleCase kRules[] = {
    {"CentralEurope", "CET-1CEST,M3.5.0,M10.5.0/3",
     info(-60, "CET", -60, "CEST", recurring(3, 0, 5), recurring(10, 0, 5, 3)), nullptr},
    {"UsEastern", "EST5EDT,M3.2.0,M11.1.0", info(300, "EST", -60, "EDT", recurring(3, 0, 2), recurring(11, 0, 1)),
     nullptr},
    {"LastSundayToFirstSunday", "<+02>-2<+03>,M3.5.0/2,M10.1.0/3",
     info(-120, "+02", -60, "+03", recurring(3, 0, 5), recurring(10, 0, 1, 3)), nullptr},
    {"IndiaWithoutSummerTime", "IST-5:30", info(-330, "IST"), nullptr},
    {"SydneySouthernHemisphere", "AEST-10AEDT,M10.1.0,M4.1.0/3",
     info(-600, "AEST", -60, "AEDT", recurring(10, 0, 1), recurring(4, 0, 1, 3)), nullptr},
    {"Kathmandu45Minutes", "<+0545>-5:45", info(-345, "+0545"), nullptr},
    // Ireland writes winter as a negative summer time; London writes the same clock the usual way.
    {"IrelandNegativeSummer", "IST-1GMT0,M10.5.0,M3.5.0/1",
     info(0, "GMT", -60, "IST", recurring(3, 0, 5, 1), recurring(10, 0, 5)), nullptr},
    {"LondonSameClock", "GMT0BST,M3.5.0/1,M10.5.0",
     info(0, "GMT", -60, "BST", recurring(3, 0, 5, 1), recurring(10, 0, 5)), nullptr},
    {"ChathamMinutes", "<+1245>-12:45<+1345>,M9.5.0/2:45,M4.1.0/3:45",
     info(-765, "+1245", -60, "+1345", recurring(9, 0, 5, 2, 45), recurring(4, 0, 1, 3, 45)), nullptr},
    // The record keeps Lord Howe's half hour; the import decides what a place can store.
    {"LordHoweHalfHour", "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0",
     info(-630, "+1030", -30, "+11", recurring(10, 0, 1), recurring(4, 0, 1)), nullptr},
    {"NuukNegativeTimeClampedToMidnight", "<-02>2<-01>,M3.5.0/-1,M10.5.0/0",
     info(120, "-02", -60, "-01", recurring(3, 0, 5, 0), recurring(10, 0, 5, 0)), nullptr},
    {"SantiagoHour24AtTheEndOfTheDay", "<-04>4<-03>,M9.1.6/24,M4.1.6/24",
     info(240, "-04", -60, "-03", SystemTime{0, 9, 6, 1, 23, 59, 59, 999}, SystemTime{0, 4, 6, 1, 23, 59, 59, 999}),
     nullptr},
    {"JulianDaysCannotBeHeld", "XXX3YYY,J60,J300", info(180, "XXX"), "days of the year (J60, J300)"},
    {"ZeroBasedDaysCannotBeHeld", "XXX3YYY,59,299", info(180, "XXX"), "days of the year (59, 299)"},
    {"MixedFormsCannotBeHeld", "XXX3YYY,M3.2.0,J300", info(180, "XXX"), "days of the year (M3.2.0, J300)"},
    {"SummerTimeAllYearIsItsStandardTime", "EST5EDT,0/0,J365/25", info(240, "EDT"), nullptr},
    {"SummerEqualToStandard", "AAA3BBB3,M3.2.0,M11.1.0", info(180, "AAA"), nullptr},
    {"SecondsRoundedWithANote", "LMT-0:17:30", info(-18, "LMT"), "not whole minutes"},
};

TEST(SystemTimeZoneInfo, RecordOfPosixRules)
{
    for (const auto& c : kRules) {
        const SystemTimeZoneReading r = timeZoneInformationFromPosix(parsePosixTimeZone(c.rule), c.rule);
        EXPECT_EQ(r.info, c.expected) << c.name << ": " << c.rule << "\n  expected "
                                      << ::testing::PrintToString(c.expected) << "\n  actual   "
                                      << ::testing::PrintToString(r.info);
        EXPECT_EQ(r.source, c.rule) << c.name;
        if (c.note == nullptr) {
            EXPECT_TRUE(r.notes.empty()) << c.name << ": unexpected note " << (r.notes.empty() ? "" : r.notes[0]);
        } else {
            ASSERT_EQ(r.notes.size(), 1u) << c.name;
            EXPECT_NE(r.notes[0].find(c.note), std::string::npos) << c.name << ": " << r.notes[0];
            EXPECT_EQ(r.notes[0].rfind(c.rule, 0), 0u) << c.name << ": the note names its zone: " << r.notes[0];
        }
    }
}

class SystemZoneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("orbiclock-tz-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir / "zoneinfo");
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    /// TZ set, zone names looked up in an empty folder, so rule strings are read as rules.
    TimeZoneEnvironment withTz(std::string tz, std::filesystem::path zoneInfo = {}) const
    {
        TimeZoneEnvironment env;
        env.tz = std::move(tz);
        env.zoneInfoDir = zoneInfo.empty() ? m_dir / "zoneinfo" : zoneInfo;
        env.localTimeFile = m_dir / "localtime";
        return env;
    }
    TimeZoneEnvironment withLocalTime(std::filesystem::path file) const
    {
        TimeZoneEnvironment env;
        env.zoneInfoDir = m_dir / "zoneinfo";
        env.localTimeFile = std::move(file);
        return env;
    }
    void write(const std::filesystem::path& file, const std::string& bytes) const
    {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }

    std::filesystem::path m_dir;
};

TEST_F(SystemZoneTest, RuleStringsInTzGiveTheSameRecordAsParsingThem)
{
    for (const auto& c : kRules) {
        const SystemTimeZoneReading r = readSystemTimeZone(withTz(c.rule));
        EXPECT_EQ(r.info, c.expected) << c.name << ": TZ=" << c.rule << "\n  actual " << ::testing::PrintToString(r.info);
        EXPECT_EQ(r.source, std::string("TZ=") + c.rule) << c.name;
        EXPECT_EQ(r.notes.size(), c.note ? 1u : 0u) << c.name;
    }
}

TEST_F(SystemZoneTest, ZoneNamesReadTheInstalledTzdata)
{
    const std::filesystem::path tzdata = "/usr/share/zoneinfo";
    struct Case {
        const char* tz;
        TimeZoneInformation expected;
    };
    const Case cases[] = {
        {"America/New_York", info(300, "EST", -60, "EDT", recurring(3, 0, 2), recurring(11, 0, 1))},
        {":America/New_York", info(300, "EST", -60, "EDT", recurring(3, 0, 2), recurring(11, 0, 1))},
        {"/usr/share/zoneinfo/America/New_York", info(300, "EST", -60, "EDT", recurring(3, 0, 2), recurring(11, 0, 1))},
        {"Europe/Berlin", info(-60, "CET", -60, "CEST", recurring(3, 0, 5), recurring(10, 0, 5, 3))},
        {"Australia/Sydney", info(-600, "AEST", -60, "AEDT", recurring(10, 0, 1), recurring(4, 0, 1, 3))},
        {"Asia/Kathmandu", info(-345, "+0545")},
        {"Asia/Kolkata", info(-330, "IST")},
        {"Europe/Dublin", info(0, "GMT", -60, "IST", recurring(3, 0, 5, 1), recurring(10, 0, 5))},
        {"Etc/UTC", info(0, "UTC")},
    };
    for (const auto& c : cases) {
        const SystemTimeZoneReading r = readSystemTimeZone(withTz(c.tz, tzdata));
        EXPECT_EQ(r.info, c.expected) << "TZ=" << c.tz << "\n  expected " << ::testing::PrintToString(c.expected)
                                      << "\n  actual   " << ::testing::PrintToString(r.info);
        EXPECT_TRUE(r.notes.empty()) << c.tz << ": " << (r.notes.empty() ? "" : r.notes[0]);
    }
}

TEST_F(SystemZoneTest, WithoutTzTheLocalTimeFileDecidesAndItsAbsenceIsUtc)
{
    const SystemTimeZoneReading missing = readSystemTimeZone(withLocalTime(m_dir / "localtime"));
    EXPECT_EQ(missing.info, info(0, "UTC"));
    EXPECT_TRUE(missing.notes.empty());

    std::filesystem::create_symlink("/nonexistent/zone", m_dir / "dangling");
    EXPECT_EQ(readSystemTimeZone(withLocalTime(m_dir / "dangling")).info, info(0, "UTC"));

    std::filesystem::create_symlink("/usr/share/zoneinfo/Australia/Sydney", m_dir / "localtime");
    const SystemTimeZoneReading sydney = readSystemTimeZone(withLocalTime(m_dir / "localtime"));
    EXPECT_EQ(sydney.info, info(-600, "AEST", -60, "AEDT", recurring(10, 0, 1), recurring(4, 0, 1, 3)))
        << ::testing::PrintToString(sydney.info);
    EXPECT_EQ(sydney.source, (m_dir / "localtime").string());
}

TEST_F(SystemZoneTest, EmptyTzIsUtc)
{
    for (const char* tz : {"", ":"}) {
        const SystemTimeZoneReading r = readSystemTimeZone(withTz(tz, "/usr/share/zoneinfo"));
        EXPECT_EQ(r.info, info(0, "UTC")) << "TZ=" << tz;
        EXPECT_TRUE(r.notes.empty()) << "TZ=" << tz;
    }
}

TEST_F(SystemZoneTest, ZoneFolderComesFromTheEnvironment)
{
    write(m_dir / "zoneinfo" / "Test" / "Zone",
          testing::makeTzif('2', {}, {{3600, false, "TTT"}}, "TTT-1UUU,M4.1.0,M9.5.0"));
    const SystemTimeZoneReading r = readSystemTimeZone(withTz("Test/Zone"));
    EXPECT_EQ(r.info, info(-60, "TTT", -60, "UUU", recurring(4, 0, 1), recurring(9, 0, 5)))
        << ::testing::PrintToString(r.info);
}

TEST_F(SystemZoneTest, WhatCannotBeReadIsUtcWithANoteSayingWhy)
{
    write(m_dir / "zoneinfo" / "Broken", "not a zone file");
    write(m_dir / "zoneinfo" / "BadFooter", testing::makeTzif('2', {}, {{3600, false, "TTT"}}, "TTT-1UUU,M4.1.0"));
    write(m_dir / "zoneinfo" / "Old",
          testing::makeTzif(0, {{0, 0}, {100, 1}}, {{3600, false, "AAA"}, {19800, false, "BBB"}}, ""));
    struct Case {
        const char* tz;
        TimeZoneInformation expected;
        const char* note;
    };
    const Case cases[] = {
        {"Nowhere/Atlantis", info(0, "UTC"), "no zone file"},
        {"Broken", info(0, "UTC"), "not a time zone information file"},
        {"BadFooter", info(0, "UTC"), "Invalid time zone rule \"TTT-1UUU,M4.1.0\""},
        {"Old", info(-330, "BBB"), "no rule for the years after its last change"},
        {"EST5EDT,M3.2.0,M13.1.0", info(0, "UTC"), "month 1-12"},
    };
    for (const auto& c : cases) {
        const SystemTimeZoneReading r = readSystemTimeZone(withTz(c.tz));
        EXPECT_EQ(r.info, c.expected) << "TZ=" << c.tz << ": " << ::testing::PrintToString(r.info);
        ASSERT_EQ(r.notes.size(), 1u) << "TZ=" << c.tz;
        EXPECT_NE(r.notes[0].find(c.note), std::string::npos) << "TZ=" << c.tz << ": " << r.notes[0];
        EXPECT_EQ(r.notes[0].rfind(std::string("TZ=") + c.tz, 0), 0u) << r.notes[0];
    }

    std::filesystem::copy_file(m_dir / "zoneinfo" / "Broken", m_dir / "localtime");
    const SystemTimeZoneReading local = readSystemTimeZone(withLocalTime(m_dir / "localtime"));
    EXPECT_EQ(local.info, info(0, "UTC"));
    ASSERT_EQ(local.notes.size(), 1u);
    EXPECT_NE(local.notes[0].find("not a time zone information file"), std::string::npos) << local.notes[0];
}

TEST(SystemTimeZoneEnvironment, TakesTzAndTzdirFromTheProcess)
{
    ::setenv("TZ", "Europe/Paris", 1);
    ::setenv("TZDIR", "/opt/zones", 1);
    TimeZoneEnvironment env = TimeZoneEnvironment::fromProcess();
    EXPECT_EQ(env.tz, std::optional<std::string>("Europe/Paris"));
    EXPECT_EQ(env.zoneInfoDir, "/opt/zones");
    ::unsetenv("TZ");
    ::setenv("TZDIR", "", 1);
    env = TimeZoneEnvironment::fromProcess();
    EXPECT_FALSE(env.tz.has_value());
    EXPECT_EQ(env.zoneInfoDir, "/usr/share/zoneinfo");
    EXPECT_EQ(env.localTimeFile, "/etc/localtime");
    ::unsetenv("TZDIR");
}

} // namespace
} // namespace orbiclock
