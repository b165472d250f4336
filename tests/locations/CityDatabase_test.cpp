// The shipped city database checked against the system's time-zone database (through the C library)
// for the current year, and a handful of well-known cities checked against known values.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::filesystem::path kDatabase = std::filesystem::path(ORBICLOCK_APP_DIR) / "data" / "Cities.db";

struct Rule {
    int n = 0, j = 0, m = 0, h = 0; ///< N 0 last, 1..4, 5 second-last; J 1 Mon..7 Sun; M 1..12; hour
    friend bool operator==(const Rule&, const Rule&) = default;
};

std::ostream& operator<<(std::ostream& os, const Rule& r)
{
    return os << "(N " << r.n << ", J " << r.j << ", M " << r.m << ", H " << r.h << ")";
}

struct ZoneRow {
    std::string name;
    double gmt = 0.0;
    bool summer = false;
    Rule start, end;
    std::string note;
};

/// One connection to the built database, opened read-only.
class CityDatabase : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(std::filesystem::is_regular_file(kDatabase)) << kDatabase << " has not been built";
        auto db = QSqlDatabase::addDatabase("QSQLITE", "citydb-test");
        db.setDatabaseName(QString::fromStdString(kDatabase.string()));
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
    }
    static void TearDownTestSuite()
    {
        QSqlDatabase::database("citydb-test").close();
        QSqlDatabase::removeDatabase("citydb-test");
    }

    static QSqlQuery run(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database("citydb-test"));
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
        return q;
    }
    static long long scalar(const QString& sql)
    {
        QSqlQuery q = run(sql);
        return q.next() ? q.value(0).toLongLong() : -1;
    }

    static std::vector<ZoneRow> zones()
    {
        std::vector<ZoneRow> out;
        QSqlQuery q = run("SELECT Nom, GMT, \"Vrai ou faux\", N_ete, J_ete, M_ete, H_ete, N_hiv, J_hiv, M_hiv, H_hiv, "
                          "RuleNote FROM Timezone ORDER BY Nom");
        while (q.next()) {
            ZoneRow z;
            z.name = q.value(0).toString().toStdString();
            z.gmt = q.value(1).toDouble();
            z.summer = q.value(2).toInt() != 0;
            z.start = {q.value(3).toInt(), q.value(4).toInt(), q.value(5).toInt(), q.value(6).toInt()};
            z.end = {q.value(7).toInt(), q.value(8).toInt(), q.value(9).toInt(), q.value(10).toInt()};
            z.note = q.value(11).toString().toStdString();
            out.push_back(std::move(z));
        }
        return out;
    }
};

/// Sets TZ for the life of the object and restores the previous value.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const std::string& zone)
    {
        if (const char* old = std::getenv("TZ")) {
            m_hadOld = true;
            m_old = old;
        }
        set(zone);
    }
    ~ScopedTimeZone()
    {
        if (m_hadOld)
            ::setenv("TZ", m_old.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    void set(const std::string& zone)
    {
        ::setenv("TZ", zone.c_str(), 1);
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool m_hadOld = false;
    std::string m_old;
};

long offsetAt(std::time_t t)
{
    std::tm local{};
    ::localtime_r(&t, &local);
    return local.tm_gmtoff;
}

struct Change {
    std::time_t at; ///< first second of the new offset, UTC
    long before, after;
    friend bool operator==(const Change&, const Change&) = default;
};

std::ostream& operator<<(std::ostream& os, const Change& c)
{
    std::tm utc{};
    ::gmtime_r(&c.at, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
    return os << text << "Z " << c.before << "s->" << c.after << "s";
}

std::time_t utcTime(int year, int month, int day, int hour = 0)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    return ::timegm(&t);
}

/// The offset changes of the current TZ during `year` (UTC), found every six hours and narrowed down
/// to the second.
std::vector<Change> changesIn(int year)
{
    std::vector<Change> out;
    const std::time_t first = utcTime(year, 1, 1), last = utcTime(year + 1, 1, 1);
    std::time_t t = first - 6 * 3600;
    long o = offsetAt(t);
    while (t < last) {
        const std::time_t t2 = t + 6 * 3600;
        const long o2 = offsetAt(t2);
        if (o2 != o) {
            std::time_t lo = t, hi = t2;
            while (hi - lo > 1) {
                const std::time_t mid = lo + (hi - lo) / 2;
                (offsetAt(mid) == o ? lo : hi) = mid;
            }
            if (hi >= first && hi < last)
                out.push_back({hi, o, o2});
        }
        t = t2;
        o = o2;
    }
    return out;
}

/// The day of a coded rule in `year`, as 00:00 UTC of that date (an independent reckoning from the
/// C library's calendar, not the program's).
std::time_t ruleDay(const Rule& r, int year)
{
    std::tm tm{};
    if (r.n == 0 || r.n == 5) {
        const std::time_t last = utcTime(year, r.m + 1, 0); // day 0 of the next month
        ::gmtime_r(&last, &tm);
        const int isoWeekday = tm.tm_wday == 0 ? 7 : tm.tm_wday;
        const int back = ((isoWeekday - r.j) % 7 + 7) % 7 + (r.n == 5 ? 7 : 0);
        return last - back * 86400L;
    }
    const std::time_t first = utcTime(year, r.m, 1);
    ::gmtime_r(&first, &tm);
    const int isoWeekday = tm.tm_wday == 0 ? 7 : tm.tm_wday;
    const int ahead = ((r.j - isoWeekday) % 7 + 7) % 7 + 7 * (r.n - 1);
    return first + ahead * 86400L;
}

int currentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    return utc.tm_year + 1900;
}

TEST_F(CityDatabase, HoldsTheGeoNamesCitiesAndEveryReferenceResolves)
{
    EXPECT_GT(scalar("SELECT COUNT(*) FROM Cities"), 23000);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Cities WHERE F_Name = '' OR F_Name IS NULL"), 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Cities LEFT JOIN World ON Cities.Country_ID = World.Id WHERE World.Id IS NULL"), 0)
        << "cities whose country is missing";
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Cities LEFT JOIN Timezone ON Cities.Zone = Timezone.Id WHERE Timezone.Id IS NULL"), 0)
        << "cities whose zone is missing";
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Cities JOIN Timezone ON Cities.Zone = Timezone.Id WHERE Cities.GMT <> Timezone.GMT"), 0)
        << "a city's own offset differs from its zone's";
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Cities WHERE Lat < -90 OR Lat > 90 OR Lon < -180 OR Lon > 180"), 0);
    EXPECT_EQ(scalar("SELECT COUNT(DISTINCT SortRank) FROM Cities"), scalar("SELECT COUNT(*) FROM Cities"));

    std::vector<std::string> missing;
    for (const ZoneRow& z : zones()) {
        if (!std::filesystem::is_regular_file(std::filesystem::path("/usr/share/zoneinfo") / z.name))
            missing.push_back(z.name);
    }
    EXPECT_TRUE(missing.empty()) << "zones not in the system's tz database, first: " << missing.front();
}

TEST_F(CityDatabase, OffsetsAndRulesAgreeWithTheTimeZoneDatabaseThisYear)
{
    const int year = currentYear();
    const std::vector<ZoneRow> all = zones();
    ASSERT_GT(all.size(), 300u);
    ScopedTimeZone tz("UTC");
    int withSummer = 0;
    for (const ZoneRow& z : all) {
        SCOPED_TRACE(z.name + " in " + std::to_string(year));
        tz.set(z.name);
        const std::vector<Change> actual = changesIn(year);
        const long standard = std::lround(z.gmt * 3600.0);
        if (z.summer) {
            ++withSummer;
            EXPECT_TRUE(z.note.empty()) << z.note;
            // The start rule is a local standard time, the end rule a local summer time.
            const std::vector<Change> expectedUnsorted = {
                {ruleDay(z.start, year) + z.start.h * 3600L - standard, standard, standard + 3600},
                {ruleDay(z.end, year) + z.end.h * 3600L - (standard + 3600), standard + 3600, standard}};
            std::vector<Change> expected = expectedUnsorted;
            if (expected[1].at < expected[0].at)
                std::swap(expected[0], expected[1]);
            EXPECT_EQ(actual, expected) << "rules start " << z.start << " end " << z.end << ", GMT " << z.gmt;
        } else if (z.note.empty()) {
            EXPECT_TRUE(actual.empty()) << "the zone changes its offset, first " << actual.front();
            EXPECT_EQ(offsetAt(utcTime(year, 7, 1)), standard) << "GMT " << z.gmt;
        } else {
            // A zone listed as beyond the coding keeps an offset it really uses this year.
            std::set<long> used{offsetAt(utcTime(year, 1, 1))};
            for (const Change& c : actual)
                used.insert(c.after);
            EXPECT_TRUE(used.count(standard)) << "GMT " << z.gmt << " is not used; " << z.note;
        }
    }
    EXPECT_GT(withSummer, 50) << "far too few zones keep summer time";
}

struct KnownCity {
    const char* name;
    const char* country; ///< ISO code
    const char* zone;
    double gmt;
    bool summer;
    Rule start, end; ///< hours not compared
    double lat, lon;
};

// Offsets and rules as the governments publish them (EU directive 2000/84/EC, US Energy Policy Act
// 2005, the Australian states' and Newfoundland's daylight-saving acts).
const KnownCity kKnownCities[] = {
    {"London", "GB", "Europe/London", 0.0, true, {0, 7, 3}, {0, 7, 10}, 51.51, -0.13},
    {"Dublin", "IE", "Europe/Dublin", 0.0, true, {0, 7, 3}, {0, 7, 10}, 53.33, -6.25},
    {"New York City", "US", "America/New_York", -5.0, true, {2, 7, 3}, {1, 7, 11}, 40.71, -74.01},
    {"Sydney", "AU", "Australia/Sydney", 10.0, true, {1, 7, 10}, {1, 7, 4}, -33.87, 151.21},
    {"Adelaide", "AU", "Australia/Adelaide", 9.5, true, {1, 7, 10}, {1, 7, 4}, -34.93, 138.60},
    {"St. John's", "CA", "America/St_Johns", -3.5, true, {2, 7, 3}, {1, 7, 11}, 47.56, -52.71},
    {"Kolkata", "IN", "Asia/Kolkata", 5.5, false, {}, {}, 22.56, 88.36},
    {"Kathmandu", "NP", "Asia/Kathmandu", 5.75, false, {}, {}, 27.70, 85.32},
    {"Reykjavík", "IS", "Atlantic/Reykjavik", 0.0, false, {}, {}, 64.14, -21.90},
    {"Tokyo", "JP", "Asia/Tokyo", 9.0, false, {}, {}, 35.69, 139.69},
};

TEST_F(CityDatabase, WellKnownCitiesCarryTheirOffsetsAndRules)
{
    for (const KnownCity& k : kKnownCities) {
        SCOPED_TRACE(k.name);
        QSqlQuery q(QSqlDatabase::database("citydb-test"));
        q.prepare("SELECT Timezone.Nom, Timezone.GMT, Timezone.\"Vrai ou faux\", N_ete, J_ete, M_ete, N_hiv, J_hiv, "
                  "M_hiv, Cities.Lat, Cities.Lon FROM Cities JOIN World ON Cities.Country_ID = World.Id "
                  "JOIN Timezone ON Cities.Zone = Timezone.Id WHERE Cities.F_Name = ? AND World.Code = ? "
                  "ORDER BY Cities.Population DESC");
        q.addBindValue(QString::fromUtf8(k.name));
        q.addBindValue(QString::fromUtf8(k.country));
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
        ASSERT_TRUE(q.next()) << "not in the database";
        EXPECT_EQ(q.value(0).toString().toStdString(), k.zone);
        EXPECT_DOUBLE_EQ(q.value(1).toDouble(), k.gmt);
        EXPECT_EQ(q.value(2).toInt() != 0, k.summer);
        if (k.summer) {
            EXPECT_EQ((Rule{q.value(3).toInt(), q.value(4).toInt(), q.value(5).toInt()}), k.start);
            EXPECT_EQ((Rule{q.value(6).toInt(), q.value(7).toInt(), q.value(8).toInt()}), k.end);
        }
        EXPECT_NEAR(q.value(9).toDouble(), k.lat, 0.01);
        EXPECT_NEAR(q.value(10).toDouble(), k.lon, 0.01);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
