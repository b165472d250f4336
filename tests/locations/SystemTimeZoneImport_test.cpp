// Copying the system's time zone into the current location: the record-to-row coding, the imported rules
// checked day by day against the C library's own local time, and the main window's import over a real
// location table.

#include "locations/SystemTimeZoneImport.h"

#include "TestLocationDatabase.h"
#include "astro/Clock.h"
#include "astro/DateTime.h"
#include "astro/SummerTime.h"
#include "locations/TdlgMain.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cmath>
#include <ctime>
#include <optional>
#include <ostream>

namespace orbiclock {

void PrintTo(const LocationRow& r, std::ostream* os)
{
    *os << "{IDX " << r.IDX << " ids " << r.id_City << "/" << r.id_Timezone << "/" << r.id_Country << " \"" << r.name_City
        << "\" \"" << r.name_Country << "\" \"" << r.name_Timezone << "\" GMT " << r.GMT << " summer "
        << r.UsesSummerTime << " start " << r.N_summer << "/" << r.J_summer << "/" << r.M_summer << " h" << r.H_summer
        << " end " << r.N_winter << "/" << r.J_winter << "/" << r.M_winter << " h" << r.H_winter << " lat " << r.Latitude
        << " lon " << r.Longitude << " pos " << r.PosX << "," << r.PosY << "}";
}

namespace {

SystemTime recurring(std::uint16_t month, std::uint16_t dayOfWeek, std::uint16_t day, std::uint16_t hour = 2)
{
    SystemTime t;
    t.wMonth = month;
    t.wDayOfWeek = dayOfWeek;
    t.wDay = day;
    t.wHour = hour;
    return t;
}

TimeZoneInformation zone(std::int32_t bias, std::int32_t daylightBias = 0, SystemTime daylightDate = {},
                         SystemTime standardDate = {})
{
    TimeZoneInformation i;
    i.Bias = bias;
    i.DaylightBias = daylightBias;
    i.DaylightDate = daylightDate;
    i.StandardDate = standardDate;
    return i;
}

/// A place picked from the city database with a map position, as the row looks before the import.
LocationRow pickedPlace()
{
    LocationRow r;
    r.IDX = 0;
    r.id_City = 4711;
    r.id_Timezone = 12;
    r.id_Country = 81;
    r.name_City = "Hamburg";
    r.name_Country = "Germany";
    r.name_Timezone = "old zone";
    r.GMT = 9.0;
    r.UsesSummerTime = false;
    r.N_summer = 3;
    r.J_summer = 2;
    r.M_summer = 5;
    r.H_summer = 7;
    r.N_winter = 4;
    r.J_winter = 1;
    r.M_winter = 7;
    r.H_winter = 8;
    r.Latitude = 53.55;
    r.Longitude = 9.99;
    r.PosX = 812;
    r.PosY = 312;
    return r;
}

/// The imported row: the fields the import always sets, with the old place's coordinates.
LocationRow imported(double gmt, bool summer, std::int32_t nS, std::int32_t jS, std::int32_t mS, std::int32_t nW,
                     std::int32_t jW, std::int32_t mW)
{
    LocationRow r;
    r.IDX = 0;
    r.name_City = "Timezone Info from Registry";
    r.GMT = gmt;
    r.UsesSummerTime = summer;
    r.N_summer = nS;
    r.J_summer = jS;
    r.M_summer = mS;
    r.H_summer = 3;
    r.N_winter = nW;
    r.J_winter = jW;
    r.M_winter = mW;
    r.H_winter = 2;
    r.Latitude = 53.55;
    r.Longitude = 9.99;
    return r;
}

struct ImportCase {
    const char* name;
    TimeZoneInformation record;
    const char* rule; // the same zone as a POSIX rule
    LocationRow expected;
};

const ImportCase kCases[] = {
    {"OneHourEastLastSundays", zone(-60, -60, recurring(3, 0, 5), recurring(10, 0, 5, 3)),
     "CET-1CEST,M3.5.0,M10.5.0/3", imported(1.0, true, 0, 6, 2, 0, 6, 9)},
    {"FiveHoursWestSecondToFirstSunday", zone(300, -60, recurring(3, 0, 2), recurring(11, 0, 1)),
     "EST5EDT,M3.2.0,M11.1.0", imported(-5.0, true, 2, 6, 2, 1, 6, 10)},
    {"LastSundayStartFirstSundayEnd", zone(-120, -60, recurring(3, 0, 5), recurring(10, 0, 1, 3)),
     "<+02>-2<+03>,M3.5.0,M10.1.0/3", imported(2.0, true, 0, 6, 2, 1, 6, 9)},
    {"FiveAndAHalfEastWithoutSummerTime", zone(-330), "IST-5:30", imported(5.5, false, 0, 6, -1, 0, 6, -1)},
    {"SydneySouthernHemisphere", zone(-600, -60, recurring(10, 0, 1), recurring(4, 0, 1, 3)),
     "AEST-10AEDT,M10.1.0,M4.1.0/3", imported(10.0, true, 1, 6, 9, 1, 6, 3)},
    {"Kathmandu45Minutes", zone(-345), "<+0545>-5:45", imported(5.75, false, 0, 6, -1, 0, 6, -1)},
    {"IrelandNegativeSummerBecomesPositive", zone(0, -60, recurring(3, 0, 5, 1), recurring(10, 0, 5)),
     "IST-1GMT0,M10.5.0,M3.5.0/1", imported(0.0, true, 0, 6, 2, 0, 6, 9)},
    {"WeekdaysOtherThanSunday", zone(180, -60, recurring(4, 6, 1), recurring(9, 1, 4)), "XXX3YYY,M4.1.6,M9.4.1",
     imported(-3.0, true, 1, 5, 3, 4, 0, 8)},
    {"JulianRuleImportsWithoutSummerTime", zone(180), "XXX3YYY,J60,J300", imported(-3.0, false, 0, 6, -1, 0, 6, -1)},
};

TEST(SystemTimeZoneImport, RecordsBecomeTheStoredCoding)
{
    for (const auto& c : kCases) {
        const SystemTimeZoneImport out = importSystemTimeZone(pickedPlace(), c.record);
        EXPECT_EQ(out.row, c.expected) << c.name << "\n  expected " << ::testing::PrintToString(c.expected)
                                       << "\n  actual   " << ::testing::PrintToString(out.row);
        EXPECT_TRUE(out.notes.empty()) << c.name;
    }
}

TEST(SystemTimeZoneImport, RuleStringsGiveTheSameRows)
{
    for (const auto& c : kCases) {
        const SystemTimeZoneReading reading = timeZoneInformationFromPosix(parsePosixTimeZone(c.rule), c.rule);
        const SystemTimeZoneImport out = importSystemTimeZone(pickedPlace(), reading.info);
        EXPECT_EQ(out.row, c.expected) << c.name << ": " << c.rule << "\n  expected "
                                       << ::testing::PrintToString(c.expected) << "\n  actual   "
                                       << ::testing::PrintToString(out.row);
    }
}

TEST(SystemTimeZoneImport, SummerShiftsOtherThanOneHourImportWithoutSummerTime)
{
    struct Case {
        const char* name;
        std::int32_t daylightBias;
        const char* minutes;
    };
    const Case cases[] = {{"LordHoweHalfHour", -30, "by 30 min"}, {"TrollTwoHours", -120, "by 120 min"}};
    for (const auto& c : cases) {
        const SystemTimeZoneImport out =
            importSystemTimeZone(pickedPlace(), zone(-630, c.daylightBias, recurring(10, 0, 1), recurring(4, 0, 1)));
        EXPECT_FALSE(out.row.UsesSummerTime) << c.name;
        EXPECT_EQ(out.row.GMT, 10.5) << c.name;
        EXPECT_EQ(out.row.M_summer, 9) << c.name << ": the rule fields are stored all the same";
        ASSERT_EQ(out.notes.size(), 1u) << c.name;
        EXPECT_NE(out.notes[0].find(c.minutes), std::string::npos) << c.name << ": " << out.notes[0];
    }
}

/// Sets TZ for the C library and restores the previous value.
class ScopedTz {
public:
    explicit ScopedTz(const char* tz)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~ScopedTz()
    {
        if (m_old)
            ::setenv("TZ", m_old->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ScopedTz(const ScopedTz&) = delete;
    ScopedTz& operator=(const ScopedTz&) = delete;

private:
    std::optional<std::string> m_old;
};

/// The C library's offset east of UTC, in seconds, at local noon of a day.
long libcNoonOffset(int year, int month, int day)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    const std::time_t t = std::mktime(&local);
    std::tm back{};
    localtime_r(&t, &back);
    return back.tm_gmtoff;
}

// The stored rules change at midnight, the real ones in the small hours: at noon both agree on every day.
// Zones whose changes fall in the afternoon or at 24:00 (Santiago) would differ on the change days alone.
// Casablanca is left out: its zone file lists each year's Ramadan changes one by one, and its closing
// rule only holds after the last of them.
TEST(SystemTimeZoneImport, ImportedRulesMatchTheCLibraryAtNoonEveryDay)
{
    const char* zones[] = {"Europe/Berlin",   "America/New_York", "America/Chicago", "Australia/Sydney",
                           "Pacific/Auckland", "Europe/Dublin",    "Europe/London",   "Asia/Kathmandu",
                           "Asia/Kolkata",     "America/Nuuk",     "Pacific/Chatham", "America/Sao_Paulo",
                           "Asia/Tehran",      "Asia/Tokyo"};
    for (const char* name : zones) {
        TimeZoneEnvironment env;
        env.tz = name;
        const SystemTimeZoneReading reading = readSystemTimeZone(env);
        ASSERT_TRUE(reading.notes.empty()) << name << ": " << reading.notes[0];
        const LocationRow row = importSystemTimeZone(pickedPlace(), reading.info).row;
        const ScopedTz tz(name);
        int mismatches = 0;
        for (int year : {2025, 2026}) {
            for (int month = 1; month <= 12; ++month) {
                for (int day = 1; day <= DaysInMonthOf(month, year); ++day) {
                    const DateTime noon = encodeDate(year, month, day) + 0.5;
                    const bool summer = row.UsesSummerTime &&
                                        IsSummerTime(row.N_summer, row.J_summer + 1, row.M_summer + 1, row.N_winter,
                                                     row.J_winter + 1, row.M_winter + 1, noon);
                    const long stored = std::lround(row.GMT * 3600.0) + (summer ? 3600 : 0);
                    const long real = libcNoonOffset(year, month, day);
                    if (stored != real && ++mismatches <= 3)
                        ADD_FAILURE() << name << " " << year << "-" << month << "-" << day << ": stored rules give "
                                      << stored << " s, the C library " << real << " s; row "
                                      << ::testing::PrintToString(row);
                }
            }
        }
        EXPECT_EQ(mismatches, 0) << name;
    }
}

class ImportIntoTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("orbiclock-import-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_dir);
        testing::createLocationDatabase(m_dir / "data", 15);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    MainWindowServices services(std::function<SystemTimeZoneReading()> source)
    {
        MainWindowServices s;
        s.executablePath = m_dir / "Orbiclock";
        s.clock = &m_clock;
        s.screenSize = [] { return ScreenSize{1280, 1024}; };
        s.askUpdateQuestion = [] { return 7; };
        s.reportError = [this](std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const SystemTimeZoneNote& note) {
                m_notes.emplace_back(note.what());
            } catch (...) {
                m_notes.emplace_back("(not a note)");
            }
        };
        s.systemTimeZone = std::move(source);
        return s;
    }
    static std::function<SystemTimeZoneReading()> rule(const char* text)
    {
        return [text] { return timeZoneInformationFromPosix(parsePosixTimeZone(text), std::string("TZ=") + text); };
    }
    /// Every stored row, read through a store of its own without a filter.
    std::vector<LocationRow> storedRows() const
    {
        LocationStore store;
        store.setDirectory(m_dir / "data");
        store.open();
        return store.rows();
    }

    std::filesystem::path m_dir;
    FixedClock m_clock{encodeDate(2025, 6, 1) + 0.5};
    std::vector<std::string> m_notes;
};

TEST_F(ImportIntoTableTest, OverwritesTheFirstRowOnlyKeepingItsCoordinates)
{
    for (const bool changedBefore : {false, true}) {
        SetUp();
        m_notes.clear();
        TdlgMain dlg(services(rule("EST5EDT,M3.2.0,M11.1.0")));
        dlg.FormCreate();
        const std::vector<LocationRow> before = storedRows();
        dlg.tblLocations().moveTo(4);
        dlg.setLocationsChanged(changedBefore);

        dlg.ImportSystemTimeZone();

        LocationRow expected = imported(-5.0, true, 2, 6, 2, 1, 6, 10);
        expected.Latitude = before[0].Latitude;
        expected.Longitude = before[0].Longitude;
        const std::vector<LocationRow> after = storedRows();
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(after[0], expected) << "\n  expected " << ::testing::PrintToString(expected) << "\n  actual   "
                                      << ::testing::PrintToString(after[0]);
        for (std::size_t i = 1; i < after.size(); ++i)
            EXPECT_EQ(after[i], before[i]) << "row " << i << " was touched";
        EXPECT_EQ(dlg.tblLocations().recordNumber(), 0) << "the first row is the current one";
        EXPECT_EQ(dlg.tblLocations().current(), expected);
        EXPECT_EQ(dlg.locationsChanged(), changedBefore) << "the import leaves LocationsChanged alone";
        EXPECT_TRUE(m_notes.empty());
    }
}

TEST_F(ImportIntoTableTest, WhatTheRowCannotHoldIsNotedInTheCrashReport)
{
    struct Case {
        const char* rule;
        const char* note;
    };
    const Case cases[] = {
        {"XXX3YYY,J60,J300", "TZ=XXX3YYY,J60,J300: summer time changes on days of the year"},
        {"<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", "TZ=<+1030>-10:30<+11>-11,M10.1.0,M4.1.0: The system's summer "
                                                 "time moves the clock by 30 min"},
    };
    for (const auto& c : cases) {
        SetUp();
        m_notes.clear();
        TdlgMain dlg(services(rule(c.rule)));
        dlg.FormCreate();
        dlg.ImportSystemTimeZone();
        EXPECT_FALSE(storedRows()[0].UsesSummerTime) << c.rule;
        ASSERT_EQ(m_notes.size(), 1u) << c.rule;
        EXPECT_EQ(m_notes[0].rfind(c.note, 0), 0u) << m_notes[0];
    }
}

TEST_F(ImportIntoTableTest, AnEngineErrorLeavesTheRowAsItWas)
{
    TdlgMain dlg(services(rule("CET-1CEST,M3.5.0,M10.5.0/3")));
    dlg.FormCreate();
    const std::vector<LocationRow> before = storedRows();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("refuse"));
        db.setDatabaseName(QString::fromStdString((m_dir / "data" / "UserLocations.db").string()));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON UserLocations "
                                          "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("refuse"));

    try {
        dlg.ImportSystemTimeZone();
        ADD_FAILURE() << "the refused update was not reported";
    } catch (const OrbiclockError& e) {
        EXPECT_NE(std::string(e.what()).find("refused by the test"), std::string::npos) << e.what();
    }
    EXPECT_EQ(storedRows(), before);
    EXPECT_EQ(dlg.tblLocations().current(), before[0]);
}

TEST_F(ImportIntoTableTest, AClosedTableIsAnError)
{
    TdlgMain dlg(services(rule("CET-1CEST,M3.5.0,M10.5.0/3")));
    EXPECT_THROW(dlg.ImportSystemTimeZone(), OrbiclockError);
    EXPECT_EQ(storedRows()[0].name_City, "Place 0");
}

TEST_F(ImportIntoTableTest, WithoutASourceTheProcessZoneIsRead)
{
    const ScopedTz tz("Australia/Sydney");
    TdlgMain dlg(services(nullptr));
    dlg.FormCreate();
    dlg.ImportSystemTimeZone();
    const LocationRow row = storedRows()[0];
    EXPECT_EQ(row.GMT, 10.0);
    EXPECT_TRUE(row.UsesSummerTime);
    EXPECT_EQ(row.M_summer, 9);
    EXPECT_EQ(row.M_winter, 3);
}

} // namespace
} // namespace orbiclock

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
