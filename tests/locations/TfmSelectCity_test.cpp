#include "locations/TfmSelectCity.h"

#include "astro/OrbiclockError.h"
#include "locations/CityListModel.h"
#include "locations/CityListView.h"
#include "locations/SearchFold.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QTreeView>
#include <QVariant>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

namespace orbiclock {
namespace {

const std::filesystem::path kDataDir = std::filesystem::path(ORBICLOCK_APP_DIR) / "data";

/// Every city of the database read directly (not through the dialog's statement), to count what a
/// filter ought to find.
struct ReferenceCity {
    int id;
    QString name, ascii, country;
};

const std::vector<ReferenceCity>& referenceCities()
{
    static const std::vector<ReferenceCity> cities = [] {
        std::vector<ReferenceCity> out;
        {
            auto db = QSqlDatabase::addDatabase("QSQLITE", "reference");
            db.setDatabaseName(QString::fromStdString((kDataDir / "Cities.db").string()));
            db.setConnectOptions("QSQLITE_OPEN_READONLY");
            EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec("SELECT Cities.Id, F_Name, AsciiName, LocalName FROM Cities JOIN World "
                               "ON Cities.Country_ID = World.Id"));
            while (q.next())
                out.push_back({q.value(0).toInt(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
        }
        QSqlDatabase::removeDatabase("reference");
        return out;
    }();
    return cities;
}

int countReference(const std::function<bool(const ReferenceCity&)>& match)
{
    int n = 0;
    for (const ReferenceCity& c : referenceCities())
        n += match(c) ? 1 : 0;
    return n;
}

class SelectCityDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::is_regular_file(kDataDir / "Cities.db")) << "Cities.db has not been built";
        dialog = std::make_unique<TfmSelectCity>(kDataDir);
        rbNoFilter = radio("No filter");
        rbCity = radio("City");
        rbCountry = radio("Country");
        edCity = dialog->findChild<QLineEdit*>("edSelCityByName");
        edCountry = dialog->findChild<QLineEdit*>("edSelCityByCountry");
        list = dialog->findChild<QGroupBox*>("gbListCities");
        grid = dialog->findChild<CityListView*>("cxGrid1");
        ASSERT_TRUE(rbNoFilter && rbCity && rbCountry && edCity && edCountry && list && grid);
    }

    QRadioButton* radio(const char* text) const
    {
        for (QRadioButton* b : dialog->findChildren<QRadioButton*>())
            if (b->text() == QLatin1String(text))
                return b;
        return nullptr;
    }

    /// The names of the listed cities, in list order (the list is flat in these tests).
    std::vector<QString> listedNames() const
    {
        std::vector<QString> names;
        const QAbstractItemModel* m = grid->model();
        for (int r = 0; r < m->rowCount(); ++r)
            names.push_back(m->index(r, CityListModel::ColCityName).data().toString());
        return names;
    }
    std::vector<QString> listedColumn(int column) const
    {
        std::vector<QString> out;
        const QAbstractItemModel* m = grid->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out.push_back(m->index(r, column).data().toString());
        return out;
    }

    static QString caption(int n, bool filtered)
    {
        return u' ' + QString::number(n) +
               (filtered ? QStringLiteral(" cities match the above filter ") : QStringLiteral(" cities available "));
    }

    std::unique_ptr<TfmSelectCity> dialog;
    QRadioButton *rbNoFilter = nullptr, *rbCity = nullptr, *rbCountry = nullptr;
    QLineEdit *edCity = nullptr, *edCountry = nullptr;
    QGroupBox* list = nullptr;
    CityListView* grid = nullptr;
};

TEST_F(SelectCityDialog, OpensWithEveryNamedCityAndItsLayout)
{
    const int all = countReference([](const ReferenceCity& c) { return !c.name.isEmpty(); });
    EXPECT_GT(all, 23000);
    EXPECT_EQ(list->title(), caption(all, false));
    EXPECT_EQ(dialog->cityCount(), all);
    EXPECT_EQ(dialog->statement().value(8), QStringLiteral("WHERE (Cities.F_Name LIKE '%')"));

    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select a City"));
    EXPECT_EQ(dialog->size(), QSize(537, 593));
    EXPECT_EQ(list->size(), QSize(518, 497));
    EXPECT_TRUE(rbNoFilter->isChecked());
    EXPECT_FALSE(edCity->isEnabled());
    EXPECT_FALSE(edCountry->isEnabled());
    EXPECT_EQ(edCity->width(), 90);
    EXPECT_EQ(edCountry->width(), 90);
    EXPECT_EQ(dialog->findChild<QGroupBox*>("rgSelByName")->title(), QStringLiteral(" Filter "));
    EXPECT_EQ(dialog->findChild<QPushButton*>("btnCancel")->text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(dialog->findChild<QPushButton*>("dxButton1")->text(), QStringLiteral("Help"));
    EXPECT_TRUE(dialog->findChild<QPushButton*>("btnOK")->isDefault());

    struct Column { int column; bool shown; const char* header; int width; };
    const Column columns[] = {
        {CityListModel::ColCountryId, false, "Country_ID", 0}, {CityListModel::ColCityId, false, "Id_1", 0},
        {CityListModel::ColZoneId, false, "Id", 0}, {CityListModel::ColCountry, true, "Country", 125},
        {CityListModel::ColCityName, true, "City Name", 128}, {CityListModel::ColGmt, true, "GMT", 60},
        {CityListModel::ColZone, false, "Zone", 0}, {CityListModel::ColLat, true, "Lat", 50},
        {CityListModel::ColLon, true, "Lon", 50}, {CityListModel::ColPopulation, true, "Population", 0},
    };
    for (const Column& c : columns) {
        SCOPED_TRACE(c.header);
        EXPECT_EQ(grid->isColumnHidden(c.column), !c.shown);
        EXPECT_EQ(grid->model()->headerData(c.column, Qt::Horizontal).toString(), QLatin1String(c.header));
        if (c.width > 0) {
            EXPECT_EQ(grid->columnWidth(c.column), c.width);
        }
    }

    // Rows ordered by country, then city name: the first country in the list comes first alphabetically.
    const std::vector<QString> countries = listedColumn(CityListModel::ColCountry);
    for (std::size_t i = 1; i < countries.size(); ++i)
        ASSERT_LE(foldForSearch(countries[i - 1]), foldForSearch(countries[i])) << "row " << i;
}

TEST_F(SelectCityDialog, CityFilterCases)
{
    struct Case {
        const char* name;
        const char* typed;
        std::function<bool(const ReferenceCity&)> expected; ///< which cities the filter must list
        const char* mustList;                               ///< a city that must be among them
    };
    auto startsWith = [](const char* prefix) {
        return [key = foldForSearch(QString::fromUtf8(prefix))](const ReferenceCity& c) {
            return foldForSearch(c.name).startsWith(key) || foldForSearch(c.ascii).startsWith(key);
        };
    };
    auto contains = [](const char* part) {
        return [key = foldForSearch(QString::fromUtf8(part))](const ReferenceCity& c) {
            return foldForSearch(c.name).contains(key) || foldForSearch(c.ascii).contains(key);
        };
    };
    const Case cases[] = {
        {"beginning of the name, typed in lower case", "new york", startsWith("new york"), "New York City"},
        {"star finds the text anywhere", "*york", contains("york"), "York"},
        {"trailing star is harmless", "Par*", startsWith("par"), "Paris"},
        {"apostrophe in the text", "Xi'an", startsWith("xi'an"), "Xi\u2019an"},
        {"accents need not be typed", "sao paulo", startsWith("sao paulo"), "São Paulo"},
        {"umlaut need not be typed", "zurich", startsWith("zurich"), "Zürich"},
        {"non-ASCII letters in any case", "ŁÓDŹ", startsWith("łódź"), "Łódź"},
        {"ASCII spelling of a name", "Lodz", startsWith("lodz"), "Łódź"},
    };
    rbCity->click();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edCity->setText(QString::fromUtf8(c.typed));
        const int expected = countReference(c.expected);
        ASSERT_GT(expected, 0);
        EXPECT_EQ(dialog->cityCount(), expected);
        EXPECT_EQ(list->title(), caption(expected, true));
        const std::vector<QString> names = listedNames();
        EXPECT_NE(std::find(names.begin(), names.end(), QString::fromUtf8(c.mustList)), names.end())
            << c.mustList << " is not listed";
        EXPECT_TRUE(dialog->isEnabled());
    }
}

TEST_F(SelectCityDialog, CityChosenWithoutTextListsEveryCity)
{
    rbCity->click();
    EXPECT_TRUE(edCity->isEnabled());
    EXPECT_FALSE(edCountry->isEnabled());
    EXPECT_EQ(dialog->focusWidget(), edCity);
    EXPECT_TRUE(dialog->statement().value(8).isEmpty()) << "no clause without text";
    EXPECT_EQ(list->title(), caption(static_cast<int>(referenceCities().size()), false));
}

TEST_F(SelectCityDialog, FilterThatMatchesNothing)
{
    rbCity->click();
    edCity->setText("Qqxzv");
    EXPECT_EQ(dialog->cityCount(), 0);
    EXPECT_EQ(list->title(), QStringLiteral(" 0 cities match the above filter "));
    EXPECT_EQ(dialog->currentCity(), SelectedCity{}) << "an empty list hands over empty values";
    EXPECT_EQ(dialog->currentRow(), nullptr);
}

TEST_F(SelectCityDialog, TypedQuotesCannotChangeTheStatement)
{
    rbCity->click();
    for (const char* hostile : {"') OR 1=1 --", "'", "x' UNION SELECT 1 --", "O'Higgins'); DROP TABLE Cities; --"}) {
        SCOPED_TRACE(hostile);
        edCity->setText(QString::fromUtf8(hostile));
        // The text is only ever a name to match: "'" alone lists the names that begin with one.
        const QString key = foldForSearch(QString::fromUtf8(hostile));
        EXPECT_EQ(dialog->cityCount(), countReference([&](const ReferenceCity& c) {
                      return foldForSearch(c.name).startsWith(key) || foldForSearch(c.ascii).startsWith(key);
                  }));
        EXPECT_FALSE(dialog->statement().join(u'\n').contains(QString::fromUtf8(hostile)));
    }
    edCity->setText("Par");
    EXPECT_GT(dialog->cityCount(), 50) << "the table is still there";
}

TEST_F(SelectCityDialog, SwitchingFromCityToCountryRefiltersAtOnce)
{
    rbCity->click();
    edCity->setText("Par");
    edCountry->setText("Fran"); // typed earlier; the city filter still applies
    EXPECT_EQ(dialog->cityCount(), countReference([](const ReferenceCity& c) {
                  return foldForSearch(c.name).startsWith("par") || foldForSearch(c.ascii).startsWith("par");
              }));
    rbCountry->click();
    EXPECT_FALSE(edCity->isEnabled());
    EXPECT_TRUE(edCountry->isEnabled());
    EXPECT_EQ(dialog->focusWidget(), edCountry);
    const int france = countReference([](const ReferenceCity& c) { return c.country == "France"; });
    ASSERT_GT(france, 100);
    EXPECT_EQ(dialog->cityCount(), france);
    for (const QString& country : listedColumn(CityListModel::ColCountry))
        ASSERT_EQ(country, QStringLiteral("France"));

    // Back to "City": the city text takes effect again; "No filter" lists everything.
    rbCity->click();
    EXPECT_EQ(dialog->statement().value(8).contains("Cities.NameKey"), true);
    rbNoFilter->click();
    EXPECT_FALSE(edCity->isEnabled());
    EXPECT_FALSE(edCountry->isEnabled());
    EXPECT_EQ(list->title(), caption(static_cast<int>(referenceCities().size()), false));
}

TEST_F(SelectCityDialog, CountryFoundByItsISONameWithApostropheAndAccent)
{
    rbCountry->click();
    edCountry->setText(QStringLiteral("Côte d'Ivoire"));
    const int ivoryCoast = countReference([](const ReferenceCity& c) { return c.country == "Ivory Coast"; });
    ASSERT_GT(ivoryCoast, 10);
    EXPECT_EQ(dialog->cityCount(), ivoryCoast);
    edCountry->setText(QStringLiteral("ivory"));
    EXPECT_EQ(dialog->cityCount(), ivoryCoast);
}

TEST_F(SelectCityDialog, TypingKeepsTheFocusInTheTextField)
{
    dialog->show();
    rbCity->click();
    for (QChar c : QStringLiteral("lon")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(dialog->focusWidget(), &press);
        ASSERT_EQ(dialog->focusWidget(), edCity) << "the rebuild took the focus away after " << c.toLatin1();
        EXPECT_TRUE(dialog->isEnabled());
        EXPECT_NE(dialog->cursor().shape(), Qt::WaitCursor) << "the wait cursor stayed";
    }
    EXPECT_EQ(edCity->text(), QStringLiteral("lon"));
    EXPECT_EQ(dialog->filter().text, QStringLiteral("lon"));
    EXPECT_GT(dialog->cityCount(), 10);
}

TEST_F(SelectCityDialog, PositionsOnACityAndHandsOverItsFields)
{
    ASSERT_TRUE(dialog->positionOnCity(2643743)); // London, GB
    const SelectedCity london = dialog->currentCity();
    EXPECT_EQ(london.Id, 2643743);
    EXPECT_EQ(london.F_Name, QStringLiteral("London"));
    EXPECT_EQ(london.LocalName, QStringLiteral("United Kingdom"));
    EXPECT_NEAR(london.Lat, 51.50853, 1e-9);
    EXPECT_NEAR(london.Lon, -0.12574, 1e-9);
    EXPECT_DOUBLE_EQ(london.GMT, 0.0);
    EXPECT_TRUE(london.UsesSummerTime);
    EXPECT_EQ((std::array{london.N_ete, london.J_ete, london.M_ete}), (std::array{0, 7, 3}));
    EXPECT_EQ((std::array{london.N_hiv, london.J_hiv, london.M_hiv}), (std::array{0, 7, 10}));
    ASSERT_NE(dialog->currentRow(), nullptr);
    EXPECT_EQ(dialog->currentRow()->Nom, QStringLiteral("Europe/London"));
    EXPECT_EQ(london.Country_ID, dialog->currentRow()->WorldId);
    EXPECT_EQ(london.Zone, dialog->currentRow()->Id);

    // An identifier no city has leaves the list on its first row.
    EXPECT_FALSE(dialog->positionOnCity(1131));
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(dialog->currentCity().F_Name, listedNames().front());
}

TEST_F(SelectCityDialog, GroupingKeepsTheCurrentCity)
{
    ASSERT_TRUE(dialog->positionOnCity(1283240)); // Kathmandu
    dialog->setGrouping(1);
    const int countries = grid->model()->rowCount();
    EXPECT_GT(countries, 200);
    EXPECT_EQ(dialog->currentCity().F_Name, QStringLiteral("Kathmandu"));
    dialog->setGrouping(2);
    EXPECT_EQ(dialog->currentCity().F_Name, QStringLiteral("Kathmandu"));
    const QModelIndex group = grid->currentIndex().parent().siblingAtColumn(CityListModel::ColCountry);
    EXPECT_TRUE(group.data().toString().startsWith(QStringLiteral("GMT 5.8 ("))) << group.data().toString().toStdString();
    EXPECT_EQ(dialog->findChild<QComboBox*>("cbGroupBy")->currentIndex(), 2);
    dialog->setGrouping(0);
    EXPECT_EQ(grid->model()->rowCount(), dialog->cityCount());
    EXPECT_EQ(dialog->currentCity().F_Name, QStringLiteral("Kathmandu"));
}

TEST_F(SelectCityDialog, IncrementalSearchJumpsToTheFirstMatchingName)
{
    grid->setFocus();
    grid->keyboardSearch("Zü");
    ASSERT_NE(dialog->currentRow(), nullptr);
    EXPECT_TRUE(foldForSearch(dialog->currentCity().F_Name).startsWith("zu")) << dialog->currentCity().F_Name.toStdString();
    EXPECT_TRUE(grid->jumpToName("zürich"));
    EXPECT_EQ(dialog->currentCity().F_Name, QStringLiteral("Zürich"));
    EXPECT_FALSE(grid->jumpToName("Qqxzv"));
    EXPECT_EQ(dialog->currentCity().F_Name, QStringLiteral("Zürich")) << "no match leaves the row";
}

TEST_F(SelectCityDialog, OkAndCancel)
{
    for (const char* button : {"btnCancel", "btnOK"}) {
        SCOPED_TRACE(button);
        dialog->positionOnCity(2147714); // Sydney
        QTimer::singleShot(0, dialog.get(), [this, button] { dialog->findChild<QPushButton*>(button)->click(); });
        const int result = dialog->exec();
        EXPECT_EQ(result, QLatin1String(button) == "btnOK" ? QDialog::Accepted : QDialog::Rejected);
    }
}

TEST_F(SelectCityDialog, HelpButtonAndF1AskForContext60)
{
    std::vector<int> requests;
    QObject::connect(dialog.get(), &TfmSelectCity::helpRequested, [&](int context) { requests.push_back(context); });
    dialog->findChild<QPushButton*>("dxButton1")->click();
    dialog->show();
    dialog->activateWindow();
    QApplication::processEvents();
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QKeyEvent f1Override(QEvent::ShortcutOverride, Qt::Key_F1, Qt::NoModifier);
    QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog.get();
    QApplication::sendEvent(target, &f1Override);
    QApplication::sendEvent(target, &f1);
    EXPECT_EQ(requests, (std::vector<int>{60, 60}));
}

// A database that fails under the dialog: the rebuild raises, and the dialog is enabled again with its
// normal cursor and an empty list.
TEST(SelectCityDialogFailure, RebuildErrorRestoresTheDialog)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "orbiclock-selectcity-failure";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(kDataDir / "Cities.db", dir / "Cities.db");
    {
        TfmSelectCity dialog(dir);
        auto* city = dialog.findChildren<QRadioButton*>().at(1);
        city->click();
        {
            std::ofstream wreck(dir / "Cities.db", std::ios::binary | std::ios::trunc);
            wreck << "not a database";
        }
        auto* edit = dialog.findChild<QLineEdit*>("edSelCityByName");
        EXPECT_THROW(edit->setText("Par"), OrbiclockError);
        EXPECT_TRUE(dialog.isEnabled());
        EXPECT_NE(dialog.cursor().shape(), Qt::WaitCursor);
        EXPECT_EQ(dialog.cityCount(), 0);
        EXPECT_EQ(dialog.currentRow(), nullptr);
    }
    std::filesystem::remove_all(dir);
}

TEST(SelectCityDialogFailure, MissingDatabaseIsAnError)
{
    EXPECT_THROW(TfmSelectCity(std::filesystem::temp_directory_path() / "orbiclock-no-such-folder"), FileError);
}

TEST(CityListFormats, PicturesOfTheList)
{
    struct Case { double value; const char* text; };
    const Case oneDecimal[] = {{5.75, "5.8"}, {-3.5, "-3.5"}, {12.75, "12.8"}, {-9.5, "-9.5"}, {0.15, "0.2"},
                               {0.0, "0.0"}, {-0.04, "0.0"}, {-0.05, "-0.1"}, {9.96, "10.0"}, {-179.99, "-180.0"},
                               {51.50853, "51.5"}};
    for (const Case& c : oneDecimal)
        EXPECT_EQ(formatOneDecimal(c.value).toStdString(), c.text) << c.value;
    EXPECT_EQ(formatThousands(0).toStdString(), "");
    EXPECT_EQ(formatThousands(999).toStdString(), "999");
    EXPECT_EQ(formatThousands(8175133).toStdString(), "8,175,133");
    EXPECT_EQ(formatThousands(15000).toStdString(), "15,000");
}

} // namespace
} // namespace orbiclock

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
