#include "locations/LocationStore.h"

#include "TestLocationDatabase.h"
#include "astro/OrbiclockError.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <fstream>
#include <ostream>

namespace orbiclock {
namespace {

class LocationStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("orbiclock-store-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_dir);
        testing::createLocationDatabase(m_dir / "data", 20);
        m_store.setDirectory(m_dir / "data");
    }
    void TearDown() override
    {
        m_store.close();
        std::filesystem::remove_all(m_dir);
    }
    std::vector<std::int32_t> visibleIdx()
    {
        std::vector<std::int32_t> idx;
        for (m_store.first(); !m_store.eof(); m_store.next())
            idx.push_back(m_store.current().IDX);
        return idx;
    }
    std::filesystem::path m_dir;
    LocationStore m_store;
};

TEST_F(LocationStoreTest, FilterShowsIdxZeroToNInIdxOrder)
{
    m_store.setFiltered(false);
    m_store.open();
    EXPECT_EQ(m_store.recordCount(), 20);
    m_store.close();

    m_store.setFilterMaxIdx(10);
    m_store.setFiltered(true);
    EXPECT_EQ(m_store.filterText(), "IDX <= 10");
    m_store.open();
    EXPECT_EQ(m_store.recordCount(), 11);
    std::vector<std::int32_t> expected(11);
    for (int i = 0; i < 11; ++i)
        expected[i] = i;
    EXPECT_EQ(visibleIdx(), expected);
    EXPECT_TRUE(m_store.eof()) << "a walk ends on the last visible row";

    m_store.close();
    m_store.setFilterMaxIdx(30);
    m_store.open();
    EXPECT_EQ(m_store.recordCount(), 20) << "a count above the table shows every row";
    EXPECT_EQ(m_store.current().IDX, 0) << "reopening starts on the first row";
}

TEST_F(LocationStoreTest, ClosedTableRaisesOnEveryAccess)
{
    const std::string expected = "Cannot perform this operation on a closed dataset";
    const auto expectClosed = [&](auto&& operation, const char* name) {
        try {
            operation();
            ADD_FAILURE() << name << ": no error";
        } catch (const OrbiclockError& e) {
            EXPECT_EQ(std::string(e.what()), expected) << name;
        }
    };
    expectClosed([&] { m_store.first(); }, "first");
    expectClosed([&] { m_store.next(); }, "next");
    expectClosed([&] { (void)m_store.eof(); }, "eof");
    expectClosed([&] { (void)m_store.current(); }, "current");
    expectClosed([&] { (void)m_store.recordCount(); }, "recordCount");
    expectClosed([&] { m_store.overwriteCurrent(LocationRow{}); }, "overwriteCurrent");
}

TEST_F(LocationStoreTest, OverwriteStoresEveryFieldKeepsIdxAndCutsLongNames)
{
    m_store.open();
    m_store.moveTo(3);
    LocationRow row = m_store.current();
    row.IDX = 999; // never changes
    row.name_City = std::string(80, 'n');
    row.name_City.replace(0, 2, "\xC3\xA9\xC3\xA9"); // two two-byte characters: the cut counts characters
    row.name_Country = "Country";
    row.GMT = -3.5;
    row.UsesSummerTime = true;
    row.N_summer = 5;
    row.J_summer = 6;
    row.M_summer = 2;
    row.N_winter = 0;
    row.J_winter = 6;
    row.M_winter = 9;
    row.H_summer = 3;
    row.H_winter = 2;
    row.Latitude = -12.25;
    row.Longitude = 77.125;
    row.PosX = 1234;
    row.PosY = 567;
    row.id_City = 11;
    row.id_Country = 22;
    row.id_Timezone = 33;
    m_store.overwriteCurrent(row);

    LocationStore reread;
    reread.setDirectory(m_dir / "data");
    reread.open();
    reread.moveTo(3);
    LocationRow expected = row;
    expected.IDX = 3;
    expected.name_City = "\xC3\xA9\xC3\xA9" + std::string(73, 'n');
    EXPECT_EQ(reread.current(), expected);
    EXPECT_EQ(m_store.current(), expected);
    EXPECT_EQ(reread.recordCount(), 20) << "no row added or removed";
}

TEST_F(LocationStoreTest, FailedWriteLeavesTheRowAsItWas)
{
    m_store.open();
    m_store.moveTo(2);
    const LocationRow before = m_store.current();
    // Another program removed the row meanwhile: nothing is written and the error says so.
    {
        LocationStore other;
        other.setDirectory(m_dir / "data");
        other.open();
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tamper"));
        db.setDatabaseName(QString::fromStdString((m_dir / "data" / "UserLocations.db").string()));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("DELETE FROM UserLocations WHERE IDX = 2")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("tamper"));
    LocationRow changed = before;
    changed.name_City = "Changed";
    EXPECT_THROW(m_store.overwriteCurrent(changed), OrbiclockError);
    EXPECT_EQ(m_store.current(), before);
}

TEST_F(LocationStoreTest, MissingOrDamagedDatabaseRaisesAndIsNeverCreated)
{
    m_store.setDirectory(m_dir / "nowhere");
    EXPECT_THROW(m_store.open(), OrbiclockError);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "nowhere" / "UserLocations.db"));
    EXPECT_FALSE(m_store.isOpen());

    std::filesystem::create_directories(m_dir / "damaged");
    std::ofstream(m_dir / "damaged" / "UserLocations.db", std::ios::binary) << "this is not a database at all....";
    m_store.setDirectory(m_dir / "damaged");
    EXPECT_THROW(m_store.open(), OrbiclockError);
    std::ifstream in(m_dir / "damaged" / "UserLocations.db", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "this is not a database at all....");
}

TEST_F(LocationStoreTest, NamesWithQuotesAndNonAsciiTextRoundTripAsBoundValues)
{
    m_store.open();
    m_store.moveTo(4);
    LocationRow row = m_store.current();
    row.name_City = "O'Brien \"Quay\"'); DROP TABLE UserLocations; -- Z\xC3\xBCrich \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80";
    row.name_Country = "C\xC3\xB4te d'Ivoire";
    row.name_Timezone = "?1 :maxIdx @x $y";
    m_store.overwriteCurrent(row);

    LocationStore reread;
    reread.setDirectory(m_dir / "data");
    reread.open();
    EXPECT_EQ(reread.recordCount(), 20) << "the name is data, never part of the statement";
    reread.moveTo(4);
    EXPECT_EQ(reread.current(), row);
    reread.moveTo(5);
    EXPECT_EQ(reread.current().name_City, "Place 5") << "only the current row changes";
}

// A value another program stored in a field, as an SQL literal, and what reading it gives.
struct StoredField {
    const char* name;
    const char* column;
    const char* literal;
    bool raises;
    bool rangeError;       ///< when it raises: RangeError rather than a plain OrbiclockError
    std::int32_t expected; ///< when it reads: the field's value
};

void PrintTo(const StoredField& f, std::ostream* os)
{
    *os << f.column << " = " << f.literal;
}

class StoredFields : public LocationStoreTest, public ::testing::WithParamInterface<StoredField> {};

TEST_P(StoredFields, IntegerFieldsTakeInt32ValuesAndRaiseOnOthers)
{
    const StoredField& f = GetParam();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tamper"));
        db.setDatabaseName(QString::fromStdString((m_dir / "data" / "UserLocations.db").string()));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("UPDATE UserLocations SET %1 = %2 WHERE IDX = 7")
                               .arg(QLatin1String(f.column), QLatin1String(f.literal))));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("tamper"));

    if (f.raises) {
        try {
            m_store.open();
            ADD_FAILURE() << "no error";
        } catch (const RangeError& e) {
            EXPECT_TRUE(f.rangeError) << e.what();
            EXPECT_EQ(std::string(e.what()), "UserLocations: field " + std::string(f.column) + " is out of range");
        } catch (const OrbiclockError& e) {
            EXPECT_FALSE(f.rangeError) << e.what();
            EXPECT_EQ(std::string(e.what()), "UserLocations: field " + std::string(f.column) + " is not an integer");
        }
        EXPECT_FALSE(m_store.isOpen());
        return;
    }
    m_store.open();
    m_store.moveTo(7);
    const LocationRow& row = m_store.current();
    const std::string column = f.column;
    const std::int32_t actual = column == "PosX" ? row.PosX : column == "id_City" ? row.id_City : row.H_summer;
    EXPECT_EQ(actual, f.expected);
}

INSTANTIATE_TEST_SUITE_P(
    LocationStore, StoredFields,
    ::testing::Values(StoredField{"Largest", "PosX", "2147483647", false, false, 2147483647},
                      StoredField{"Smallest", "PosX", "-2147483648", false, false, -2147483648},
                      StoredField{"OneAboveInt32", "PosX", "2147483648", true, true, 0},
                      StoredField{"OneBelowInt32", "id_City", "-2147483649", true, true, 0},
                      StoredField{"Int64Max", "H_summer", "9223372036854775807", true, true, 0},
                      StoredField{"HugeReal", "PosX", "1e10", true, true, 0},
                      StoredField{"RealRoundsHalfAwayFromZero", "PosX", "12.5", false, false, 13},
                      StoredField{"NegativeRealRoundsHalfAwayFromZero", "id_City", "-2.5", false, false, -3},
                      StoredField{"DigitsInABlob", "H_summer", "X'203132'", false, false, 12},
                      StoredField{"Word", "PosX", "'abc'", true, false, 0},
                      StoredField{"EmptyText", "id_City", "''", true, false, 0},
                      StoredField{"DecimalInABlob", "H_summer", "X'312E35'", true, false, 0}),
    [](const ::testing::TestParamInfo<StoredField>& p) { return std::string(p.param.name); });

} // namespace
} // namespace orbiclock

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
