// The settings window as the user sees it: its controls, the place grid, the count spinner, Modify,
// the close question, help and the update's status panel.

#include "locations/TdlgMain.h"

#include "TestLocationDatabase.h"
#include "astro/Clock.h"
#include "astro/DateTime.h"
#include "astro/OrbiclockError.h"
#include "locations/HelpRouter.h"
#include "locations/HelpWindow.h"
#include "wallpaper/IniFile.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <gtest/gtest.h>

#include <fstream>

namespace orbiclock {
namespace {

namespace fs = std::filesystem;

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("orbiclock-window-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        testing::createLocationDatabase(m_dir / "data", 56);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    MainWindowServices services()
    {
        MainWindowServices s;
        s.executablePath = m_dir / "Orbiclock";
        s.clock = &m_clock;
        s.screenSize = [] { return ScreenSize{1280, 1024}; };
        s.askUpdateQuestion = [this] {
            ++m_questions;
            return m_answer;
        };
        s.setActiveDesktopWallpaper = [this](const std::string& page) { m_installed.push_back(page); };
        return s;
    }
    void storeSetting(int value)
    {
        std::ofstream(m_dir / "Orbiclock.ini", std::ios::binary) << "[Settings]\r\nMaxNumLocs=" << value << "\r\n";
    }
    std::int32_t storedSetting() { return IniFile(m_dir / "Orbiclock.ini").readInteger("Settings", "MaxNumLocs", -999); }

    /// Runs SQL against the test database, e.g. to give rows the values a case needs.
    void execSql(const QString& sql)
    {
        const QString name = QStringLiteral("window-test-edit");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(QString::fromStdString((m_dir / "data" / "UserLocations.db").string()));
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    /// Copies the shipped template, images and help beside the test's executable path.
    void installShippedFiles()
    {
        const fs::path assets = fs::path(ORBICLOCK_SOURCE_DIR) / "assets";
        fs::copy_file(assets / "Orbiclock_TEMPLATE.html", m_dir / "Orbiclock_TEMPLATE.html");
        fs::copy(assets / "opt", m_dir / "opt", fs::copy_options::recursive);
        fs::copy(assets / "help", m_dir / "Orbiclock.help", fs::copy_options::recursive);
    }

    static QString cell(const TdlgMain& dlg, int row, int column)
    {
        const QAbstractItemModel* m = dlg.cxGrid1()->model();
        return m->index(row, column).data().toString();
    }
    static int rowOfCity(const TdlgMain& dlg, const QString& city)
    {
        const QAbstractItemModel* m = dlg.cxGrid1()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            if (m->index(r, 2).data().toString() == city)
                return r;
        return -1;
    }

    fs::path m_dir;
    FixedClock m_clock{encodeDate(2024, 6, 1) + 0.5};
    int m_questions = 0;
    int m_answer = 2;
    std::vector<std::string> m_installed;
};

TEST_F(SettingsWindowTest, ControlsTextsAndGeometry)
{
    TdlgMain dlg(services());
    dlg.FormCreate();

    EXPECT_EQ(dlg.objectName(), "dlgMain");
    EXPECT_EQ(dlg.windowTitle(), "Orbiclock Settings");
    EXPECT_EQ(dlg.size(), QSize(629, 624));
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize()) << "fixed size";
    const Qt::WindowFlags flags = dlg.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(HelpRouter::helpContext(&dlg), 40);

    QTableView* grid = dlg.cxGrid1();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->objectName(), "cxGrid1");
    EXPECT_EQ(grid->geometry(), QRect(16, 30, 596, 546));
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(grid->horizontalHeader()->sectionsMovable());

    struct Column {
        const char* header;
        int width;
        bool centred;
    };
    const Column columns[] = {{"Longitude", 70, false}, {"Latitude", 70, false}, {"City", 189, false},
                              {"Country", 133, false},  {"GMT", 64, true},       {"Uses ST", 49, true}};
    ASSERT_EQ(grid->model()->columnCount(), 6);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(grid->model()->headerData(c, Qt::Horizontal).toString(), columns[c].header) << c;
        EXPECT_EQ(grid->columnWidth(c), columns[c].width) << columns[c].header;
        const auto alignment = grid->model()->index(0, c).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
        EXPECT_EQ(bool(alignment & Qt::AlignHCenter), columns[c].centred) << columns[c].header;
    }

    auto* pnlStatus = dlg.findChild<QLabel*>("pnlStatus");
    ASSERT_NE(pnlStatus, nullptr);
    EXPECT_EQ(pnlStatus, dlg.pnlStatus());
    EXPECT_EQ(pnlStatus->geometry(), QRect(222, 297, 185, 29));
    EXPECT_TRUE(pnlStatus->isHidden());

    struct ButtonCase {
        const char* name;
        const char* caption;
        const char* hint;
    };
    const ButtonCase buttons[] = {{"btnModify", "Modify", "Modify the currently selected city"},
                                  {"btnUpdate", "Update", "Update your desktop wallpaper"},
                                  {"btnHelp", "Help", ""},
                                  {"btnExit", "Exit", ""}};
    int previousRight = -1;
    for (const auto& b : buttons) {
        auto* button = dlg.findChild<QPushButton*>(b.name);
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->text(), b.caption) << b.name;
        EXPECT_EQ(button->toolTip(), b.hint) << b.name;
        const QRect g = button->geometry();
        EXPECT_GT(g.left(), previousRight) << b.name << " stands right of the previous button";
        EXPECT_GT(g.top(), grid->geometry().bottom()) << b.name << " is below the grid";
        EXPECT_LE(g.right(), 628) << b.name;
        EXPECT_LE(g.bottom(), 623) << b.name;
        previousRight = g.right();
    }

    auto* display = dlg.findChild<QLabel*>("lblDisplay");
    auto* cities = dlg.findChild<QLabel*>("lblCities");
    QSpinBox* spin = dlg.spinNumCitiesControl();
    ASSERT_TRUE(display && cities && spin);
    EXPECT_EQ(display->text(), "Display");
    EXPECT_EQ(cities->text(), "cities");
    EXPECT_TRUE(display->font().bold());
    EXPECT_EQ(spin->objectName(), "spinNumCities");
    EXPECT_LT(display->geometry().right(), spin->geometry().left());
    EXPECT_LT(spin->geometry().right(), cities->geometry().left());
    EXPECT_LT(cities->geometry().right(), dlg.findChild<QPushButton*>("btnModify")->geometry().left());

    auto* notice = dlg.findChild<QLabel*>("lblNotice");
    auto* link = dlg.findChild<QLabel*>("lblWebLink");
    ASSERT_TRUE(notice && link);
    EXPECT_TRUE(notice->font().bold());
    EXPECT_FALSE(notice->text().isEmpty());
    EXPECT_TRUE(link->text().contains("https://github.com/orbiclock/orbiclock")) << link->text().toStdString();
    EXPECT_TRUE(link->openExternalLinks());
    EXPECT_LT(notice->geometry().right(), link->geometry().left());
    EXPECT_LT(link->geometry().bottom(), grid->geometry().top());
}

TEST_F(SettingsWindowTest, GridShowsTheDisplayTextsOfEachField)
{
    execSql("UPDATE UserLocations SET name_City = 'Home', Longitude = 2.5, Latitude = -8.75, GMT = 5.5, "
            "UsesSummerTime = 1 WHERE IDX = 0");
    execSql("UPDATE UserLocations SET name_City = 'Near Greenwich', Longitude = -0.25, Latitude = 51.5, GMT = 0, "
            "UsesSummerTime = 0 WHERE IDX = 1");
    execSql("UPDATE UserLocations SET name_City = 'On the meridian', Longitude = 0, Latitude = 0, GMT = 5.75 "
            "WHERE IDX = 2");
    execSql("UPDATE UserLocations SET name_City = 'West', Longitude = -47.9, Latitude = -15.8, GMT = -3.5 "
            "WHERE IDX = 3");
    TdlgMain dlg(services());
    dlg.FormCreate();

    struct Case {
        const char* city; // as the grid shows it
        const char* longitude;
        const char* latitude;
        const char* gmt;
        bool summerTime;
    };
    const Case cases[] = {
        {"Home (current location)", "2.5°E", "8.8°S", "+5.5", true},
        {"Near Greenwich", "0.3°W", "51.5°N", "+0.0", false},
        {"On the meridian", "0.0°E", "0.0°N", "+5.8", false},
        {"West", "47.9°W", "15.8°S", "-3.5", false},
    };
    for (const auto& c : cases) {
        const int r = rowOfCity(dlg, QString::fromUtf8(c.city));
        ASSERT_GE(r, 0) << c.city;
        EXPECT_EQ(cell(dlg, r, 0).toStdString(), c.longitude) << c.city;
        EXPECT_EQ(cell(dlg, r, 1).toStdString(), c.latitude) << c.city;
        EXPECT_EQ(cell(dlg, r, 3).toStdString(), "Land") << c.city;
        EXPECT_EQ(cell(dlg, r, 4).toStdString(), c.gmt) << c.city;
        const QModelIndex flag = dlg.cxGrid1()->model()->index(r, 5);
        EXPECT_EQ(flag.data(Qt::CheckStateRole).toInt(), c.summerTime ? Qt::Checked : Qt::Unchecked) << c.city;
        EXPECT_TRUE(flag.data().toString().isEmpty()) << c.city << ": the flag is drawn, not written";
        EXPECT_FALSE(flag.flags() & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable)) << c.city;
    }
}

TEST_F(SettingsWindowTest, GridIsSortedWestToEastWhileTheTableStaysInIdxOrder)
{
    // The test rows run from 170°E (IDX 0) westwards; put the current location in the middle.
    execSql("UPDATE UserLocations SET name_City = 'Here', Longitude = 61.25 WHERE IDX = 0");
    storeSetting(30);
    TdlgMain dlg(services());
    dlg.FormCreate();
    const QAbstractItemModel* grid = dlg.cxGrid1()->model();
    ASSERT_EQ(grid->rowCount(), 31);

    double previous = -1000.0;
    for (int r = 0; r < grid->rowCount(); ++r) {
        const double longitude = grid->index(r, 0).data(Qt::UserRole).toDouble();
        EXPECT_LE(previous, longitude) << "row " << r;
        previous = longitude;
    }
    // 170 - 7i for IDX 1..30: 16 of them (IDX 15..30, down to -40) lie west of 61.25.
    const int here = rowOfCity(dlg, "Here (current location)");
    EXPECT_EQ(here, 15);
    EXPECT_EQ(rowOfCity(dlg, "Here"), -1) << "the current location carries its mark";

    const auto& tableRows = dlg.tblLocations().rows();
    for (std::size_t i = 0; i < tableRows.size(); ++i)
        EXPECT_EQ(tableRows[i].IDX, static_cast<int>(i)) << "the table keeps IDX order";

    // The table's current row, the current location after opening, is the grid's current row.
    EXPECT_EQ(dlg.cxGrid1()->currentIndex().row(), here);
    EXPECT_EQ(dlg.tblLocations().current().IDX, 0);
    // Selecting a row in the grid makes it the table's current row.
    const int target = rowOfCity(dlg, "Place 7");
    dlg.cxGrid1()->setCurrentIndex(grid->index(target, 2));
    EXPECT_EQ(dlg.tblLocations().current().IDX, 7);
}

TEST_F(SettingsWindowTest, SpinnerTenToTwelveShowsTwoMoreRowsAndIsWrittenAtClose)
{
    storeSetting(10);
    TdlgMain dlg(services());
    dlg.FormCreate();
    QSpinBox* spin = dlg.spinNumCitiesControl();
    EXPECT_EQ(spin->value(), 10);
    EXPECT_EQ(spin->minimum(), 10);
    EXPECT_EQ(spin->maximum(), 55);
    EXPECT_EQ(dlg.cxGrid1()->model()->rowCount(), 11);

    spin->setValue(12);
    EXPECT_EQ(dlg.spinNumCities().value(), 12);
    EXPECT_EQ(dlg.tblLocations().filterText(), "IDX <= 12");
    EXPECT_EQ(dlg.cxGrid1()->model()->rowCount(), 13);
    EXPECT_GE(rowOfCity(dlg, "Place 12"), 0);
    EXPECT_EQ(storedSetting(), 10) << "nothing is written before the window closes";

    spin->setValue(99);
    EXPECT_EQ(spin->value(), 55) << "the control keeps the model's bounds";
    EXPECT_EQ(dlg.cxGrid1()->model()->rowCount(), 56);

    dlg.show();
    EXPECT_TRUE(dlg.close());
    EXPECT_EQ(storedSetting(), 55);
}

TEST_F(SettingsWindowTest, ShortTableSpinnerTakesAnyValue)
{
    testing::createLocationDatabase(m_dir / "data", 8);
    storeSetting(30);
    TdlgMain dlg(services());
    dlg.FormCreate();
    EXPECT_EQ(dlg.spinNumCitiesControl()->value(), 30) << "equal bounds do not clamp, in the control either";
    EXPECT_EQ(dlg.cxGrid1()->model()->rowCount(), 8);
}

TEST_F(SettingsWindowTest, CloseQuestionAnswers)
{
    installShippedFiles();
    struct Case {
        const char* name;
        bool changed;
        int answer;
        int questions;
        bool closes;
        bool updated;
    };
    const Case cases[] = {
        {"unchangedAsksNothing", false, 2, 0, true, false},
        {"cancelKeepsTheWindowOpen", true, 2, 1, false, false},
        {"noClosesWithoutUpdating", true, 7, 1, true, false},
        {"yesUpdatesThenCloses", true, 6, 1, true, true},
    };
    for (const auto& c : cases) {
        m_questions = 0;
        m_answer = c.answer;
        m_installed.clear();
        fs::remove(m_dir / "Orbiclock.html");
        storeSetting(10);
        TdlgMain dlg(services());
        dlg.FormCreate();
        dlg.setVisibleCount(14);
        dlg.setLocationsChanged(c.changed);
        dlg.show();
        dlg.close();
        EXPECT_EQ(m_questions, c.questions) << c.name;
        EXPECT_EQ(dlg.isVisible(), !c.closes) << c.name;
        EXPECT_EQ(storedSetting(), 14) << c.name << ": the count is written before the question";
        EXPECT_EQ(fs::exists(m_dir / "Orbiclock.html"), c.updated) << c.name;
        EXPECT_EQ(m_installed.size(), c.updated ? 1u : 0u) << c.name;
        if (c.updated)
            EXPECT_FALSE(dlg.locationsChanged()) << c.name << ": a saved page clears the flag";
        else
            EXPECT_EQ(dlg.locationsChanged(), c.changed) << c.name;
    }
}

/// A properties dialog stand-in that records what Modify gave it and what the window looked like.
struct FakeEditor {
    TdlgMain* window = nullptr;
    std::function<std::optional<LocationRow>(const LocationRow&)> answer;
    std::vector<LocationRow> shown;
    bool controlsWereDisabled = false;
    bool windowWasEnabled = false;
    QWidget* parent = nullptr;

    std::optional<LocationRow> operator()(QWidget* p, const LocationRow& row)
    {
        parent = p;
        shown.push_back(row);
        controlsWereDisabled = !window->findChild<QPushButton*>("btnModify")->isEnabled() &&
                               !window->cxGrid1()->isEnabled() && !window->spinNumCitiesControl()->isEnabled();
        windowWasEnabled = window->isEnabled();
        return answer(row);
    }
};

class ModifyTest : public SettingsWindowTest {
protected:
    std::unique_ptr<TdlgMain> makeWindow()
    {
        MainWindowServices s = services();
        s.editPlace = [this](QWidget* p, const LocationRow& row) { return m_editor(p, row); };
        auto dlg = std::make_unique<TdlgMain>(std::move(s));
        m_editor.window = dlg.get();
        dlg->FormCreate();
        return dlg;
    }
    static void selectCity(TdlgMain& dlg, const QString& city)
    {
        const int r = rowOfCity(dlg, city);
        ASSERT_GE(r, 0) << city.toStdString();
        dlg.cxGrid1()->setCurrentIndex(dlg.cxGrid1()->model()->index(r, 0));
    }
    FakeEditor m_editor;
};

TEST_F(ModifyTest, OkWritesTheRowBackAndMarksTheListChanged)
{
    auto dlg = makeWindow();
    selectCity(*dlg, "Place 5");
    m_editor.answer = [](const LocationRow& row) {
        LocationRow edited = row;
        edited.name_City = "Edited";
        edited.Longitude = -179.0;
        edited.GMT = -3.5;
        return std::optional<LocationRow>(edited);
    };
    dlg->findChild<QPushButton*>("btnModify")->click();

    ASSERT_EQ(m_editor.shown.size(), 1u);
    EXPECT_EQ(m_editor.shown[0].IDX, 5) << "the dialog gets the selected row";
    EXPECT_EQ(m_editor.shown[0].name_City, "Place 5");
    EXPECT_EQ(m_editor.parent, dlg.get());
    EXPECT_TRUE(m_editor.controlsWereDisabled);
    EXPECT_TRUE(m_editor.windowWasEnabled) << "a dialog parented to the window must take input";
    EXPECT_TRUE(dlg->findChild<QPushButton*>("btnModify")->isEnabled()) << "enabled again afterwards";
    EXPECT_TRUE(dlg->locationsChanged());
    EXPECT_EQ(dlg->tblLocations().current().name_City, "Edited");

    // Stored, and shown where its new longitude puts it: first, the farthest west.
    EXPECT_EQ(cell(*dlg, 0, 2), "Edited");
    EXPECT_EQ(cell(*dlg, 0, 0), "179.0°W");
    EXPECT_EQ(cell(*dlg, 0, 4), "-3.5");
    EXPECT_EQ(dlg->cxGrid1()->currentIndex().row(), 0) << "the edited row stays the current one";
    dlg->tblLocations().close();
    dlg->tblLocations().open();
    dlg->tblLocations().moveTo(5);
    EXPECT_EQ(dlg->tblLocations().current().name_City, "Edited");
}

TEST_F(ModifyTest, OkWithoutChangesStillMarksTheListChanged)
{
    auto dlg = makeWindow();
    m_editor.answer = [](const LocationRow& row) { return std::optional<LocationRow>(row); };
    dlg->btnModifyClick();
    EXPECT_EQ(m_editor.shown.at(0).IDX, 0) << "the current location is edited like any other row";
    EXPECT_TRUE(dlg->locationsChanged());
}

TEST_F(ModifyTest, CancelChangesNothing)
{
    auto dlg = makeWindow();
    selectCity(*dlg, "Place 3");
    const LocationRow before = dlg->tblLocations().current();
    m_editor.answer = [](const LocationRow&) { return std::optional<LocationRow>(); };
    dlg->btnModifyClick();
    EXPECT_FALSE(dlg->locationsChanged());
    EXPECT_EQ(dlg->tblLocations().current(), before);
    EXPECT_TRUE(dlg->cxGrid1()->isEnabled());
}

TEST_F(ModifyTest, AnErrorInTheDialogStillEnablesTheControls)
{
    auto dlg = makeWindow();
    m_editor.answer = [](const LocationRow&) -> std::optional<LocationRow> {
        throw OrbiclockError("the dialog failed");
    };
    EXPECT_THROW(dlg->btnModifyClick(), OrbiclockError);
    EXPECT_TRUE(dlg->findChild<QPushButton*>("btnModify")->isEnabled());
    EXPECT_TRUE(dlg->cxGrid1()->isEnabled());
    EXPECT_FALSE(dlg->locationsChanged());
}

TEST_F(ModifyTest, DoubleClickAnywhereOnTheGridClicksModify)
{
    auto dlg = makeWindow();
    m_editor.answer = [](const LocationRow&) { return std::optional<LocationRow>(); };
    dlg->show();
    QWidget* viewport = dlg->cxGrid1()->viewport();
    // On a row, and below the last row where no cell is.
    for (const QPoint at : {QPoint(30, 10), QPoint(30, viewport->height() - 2)}) {
        QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &release);
        QMouseEvent twice(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &twice);
    }
    EXPECT_EQ(m_editor.shown.size(), 2u);
}

TEST_F(SettingsWindowTest, ModifyWithoutAPropertiesDialogSaysSo)
{
    TdlgMain dlg(services());
    dlg.FormCreate();
    dlg.show();
    dlg.findChild<QPushButton*>("btnModify")->click();
    EXPECT_TRUE(dlg.pnlStatus()->isVisible());
    EXPECT_EQ(dlg.pnlStatus()->text(), TdlgMain::kEditingUnavailable);
    EXPECT_FALSE(dlg.locationsChanged());
    EXPECT_TRUE(dlg.findChild<QPushButton*>("btnModify")->isEnabled());
    // The note goes with the next action.
    dlg.cxGrid1()->setCurrentIndex(dlg.cxGrid1()->model()->index(3, 0));
    EXPECT_FALSE(dlg.pnlStatus()->isVisible());
}

TEST_F(SettingsWindowTest, UpdateShowsItsStepsOverTheDisabledWindow)
{
    installShippedFiles();
    TdlgMain* window = nullptr;
    struct Seen {
        std::string text;
        bool panelVisible;
        bool windowEnabled;
        bool panelOnTop;
    };
    std::vector<Seen> seen;
    MainWindowServices s = services();
    s.statusEcho = [&](const std::string& text) {
        QLabel* panel = window->pnlStatus();
        const bool onTop = window->childAt(panel->geometry().center()) == panel;
        seen.push_back({text, panel->isVisible(), window->isEnabled(), onTop});
    };
    TdlgMain dlg(std::move(s));
    window = &dlg;
    dlg.FormCreate();
    dlg.show();
    dlg.findChild<QPushButton*>("btnUpdate")->click();

    ASSERT_EQ(seen.size(), 7u);
    EXPECT_EQ(seen.front().text, "Calculating Screen Size");
    EXPECT_EQ(seen.back().text, "Updating Windows Desktop");
    // The panel appears right after the first text has been set.
    EXPECT_FALSE(seen.front().windowEnabled);
    for (const auto& step : std::vector<Seen>(seen.begin() + 1, seen.end())) {
        EXPECT_TRUE(step.panelVisible) << step.text;
        EXPECT_FALSE(step.windowEnabled) << step.text;
        EXPECT_TRUE(step.panelOnTop) << step.text << ": the panel stands over the grid";
    }
    EXPECT_FALSE(dlg.pnlStatus()->isVisible());
    EXPECT_TRUE(dlg.isEnabled());
    EXPECT_EQ(m_installed.size(), 1u);
}

// The update walks the table; Modify edits the table's current row, so the grid must show that row
// afterwards, whether the update succeeded or failed.
TEST_F(SettingsWindowTest, AfterAnUpdateTheGridShowsTheTablesCurrentRow)
{
    installShippedFiles();
    TdlgMain dlg(services());
    dlg.FormCreate();
    dlg.show();
    for (const bool withTemplate : {true, false}) {
        if (!withTemplate)
            fs::remove(m_dir / "Orbiclock_TEMPLATE.html");
        dlg.cxGrid1()->setCurrentIndex(dlg.cxGrid1()->model()->index(rowOfCity(dlg, "Place 7"), 2));
        ASSERT_EQ(dlg.tblLocations().current().IDX, 7);
        try {
            dlg.btnUpdateClick();
        } catch (const std::exception&) {
            EXPECT_FALSE(withTemplate) << "only the run without a template fails";
        }
        const QString shown = cell(dlg, dlg.cxGrid1()->currentIndex().row(), 2);
        const QString current = QString::fromStdString(dlg.tblLocations().current().name_City);
        EXPECT_TRUE(shown.startsWith(current)) << (withTemplate ? "after success" : "after failure") << ": grid "
                                               << shown.toStdString() << ", table " << current.toStdString();
    }
}

TEST_F(SettingsWindowTest, HelpButtonAndF1ShowTheConfigurationPage)
{
    installShippedFiles();
    TdlgMain dlg(services());
    dlg.FormCreate();
    EXPECT_EQ(dlg.helpFile(), m_dir / "Orbiclock.help");
    dlg.show();

    dlg.findChild<QPushButton*>("btnHelp")->click();
    ASSERT_NE(dlg.helpRouter().helpWindow(), nullptr);
    EXPECT_EQ(dlg.helpRouter().helpWindow()->currentPage(), m_dir / "Orbiclock.help" / "Configuration.htm");
    dlg.helpRouter().helpWindow()->showPage(m_dir / "Orbiclock.help" / "Overview.htm", {});

    // F1 with the focus in the grid: the window's own context.
    dlg.activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &dlg);
    dlg.cxGrid1()->setFocus();
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(dlg.cxGrid1(), &f1);
    EXPECT_EQ(dlg.helpRouter().helpWindow()->currentPage(), m_dir / "Orbiclock.help" / "Configuration.htm");

    // Closing the settings window closes its help too.
    dlg.close();
    EXPECT_FALSE(dlg.helpRouter().helpWindow()->isVisible());
}

TEST_F(SettingsWindowTest, CommandLineModesDropTheGrid)
{
    TdlgMain dlg(services());
    dlg.FormCreate();
    dlg.destroyPlaceGrid();
    EXPECT_EQ(dlg.cxGrid1(), nullptr);
    EXPECT_EQ(dlg.findChild<QTableView*>("cxGrid1"), nullptr);
    dlg.setVisibleCount(12); // refilters without a grid
    EXPECT_EQ(dlg.tblLocations().recordCount(), 13);
}

} // namespace
} // namespace orbiclock

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
