#include "locations/SearchFold.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <filesystem>

namespace orbiclock {
namespace {

struct FoldCase {
    const char* name;
    const char* text;
    const char* key;
};

const FoldCase kFolds[] = {
    {"ASCII lower-cased", "New York", "new york"},
    {"accents dropped", "São Paulo", "sao paulo"},
    {"umlaut", "ZÜRICH", "zurich"},
    {"non-ASCII capitals", "ŁÓDŹ", "łodz"},
    {"sharp s", "Gießen", "giessen"},
    {"capital sharp s", "GROẞ", "gross"},
    {"Greek", "ΑΘΗΝΑ", "αθηνα"},
    {"Cyrillic", "МОСКВА", "москва"},
    {"dotted capital I", "İzmir", "izmir"},
    {"typographic apostrophe", "Xi\u2019an", "xi'an"},
    {"modifier apostrophe", "Hawai\u02bbi", "hawai'i"},
    {"compatibility ligature", "ﬁnland", "finland"},
    {"wildcards untouched", "%york_%", "%york_%"},
};

TEST(SearchFold, FoldsCaseAccentsAndApostrophes)
{
    for (const FoldCase& c : kFolds) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(foldForSearch(QString::fromUtf8(c.text)).toStdString(), c.key);
    }
}

// The database stores the keys the generator made; the typed text is folded here. Both must agree on
// every name, or a city could not be found by its own name.
TEST(SearchFold, AgreesWithTheStoredKeysOfEveryName)
{
    const std::filesystem::path file = std::filesystem::path(ORBICLOCK_APP_DIR) / "data" / "Cities.db";
    ASSERT_TRUE(std::filesystem::is_regular_file(file)) << file << " has not been built";
    {
        auto db = QSqlDatabase::addDatabase("QSQLITE", "fold-test");
        db.setDatabaseName(QString::fromStdString(file.string()));
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("SELECT F_Name, NameKey, AsciiName, AsciiKey FROM Cities UNION ALL "
                           "SELECT LocalName, NameKey, AltName, AltKey FROM World"));
        int names = 0, mismatches = 0;
        while (q.next()) {
            for (int column : {0, 2}) {
                ++names;
                const QString name = q.value(column).toString();
                const QString stored = q.value(column + 1).toString();
                if (foldForSearch(name) != stored && ++mismatches <= 10)
                    ADD_FAILURE() << name.toStdString() << " folds to " << foldForSearch(name).toStdString()
                                  << ", the database holds " << stored.toStdString();
            }
        }
        EXPECT_GT(names, 46000);
        EXPECT_EQ(mismatches, 0);
    }
    QSqlDatabase::removeDatabase("fold-test");
}

} // namespace
} // namespace orbiclock

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
