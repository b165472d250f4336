// The location properties dialog: filling from a row and writing back, the preview, the rule rows,
// taking a city over from the built city database, help, and Modify in the main window.

#include "locations/TfmLocationProperties.h"

#include "TestLocationDatabase.h"
#include "astro/Clock.h"
#include "astro/DateTime.h"
#include "locations/ButtonEdit.h"
#include "locations/DecimalSpinBox.h"
#include "locations/FixedPitchFont.h"
#include "locations/HelpRouter.h"
#include "locations/HelpWindow.h"
#include "locations/LocationStore.h"
#include "locations/TdlgMain.h"
#include "locations/TfmSelectCity.h"
#include "locations/WholeSpinBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace orbiclock {

void PrintTo(const MapPoint& p, std::ostream* os)
{
    *os << "(" << p.x << ", " << p.y << ")";
}

namespace {

const std::filesystem::path kAppDir = ORBICLOCK_APP_DIR;

/// Runs `action` on the modal dialog of type T once its own loop runs it. Gives up (and closes the
/// modal dialog) after a bounded number of looks so that a missing dialog fails instead of hanging.
template <class T>
void whenModal(std::function<void(T&)> action, int looksLeft = 300)
{
    QTimer::singleShot(10, [action = std::move(action), looksLeft]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<T*>(modal); dialog != nullptr && dialog->isVisible()) {
            action(*dialog);
            return;
        }
        if (looksLeft == 0) {
            ADD_FAILURE() << "the expected modal dialog never appeared";
            if (auto* other = qobject_cast<QDialog*>(modal))
                other->reject();
            return;
        }
        whenModal<T>(std::move(action), looksLeft - 1);
    });
}

LocationRow baseRow()
{
    LocationRow row;
    row.IDX = 3;
    row.id_City = 2988507;
    row.id_Timezone = 294;
    row.id_Country = 3017382;
    row.name_City = "Paris";
    row.name_Country = "France";
    row.GMT = 1.0;
    row.UsesSummerTime = true;
    row.N_summer = 0;
    row.J_summer = 6;
    row.M_summer = 2;
    row.H_summer = 3;
    row.N_winter = 0;
    row.J_winter = 6;
    row.M_winter = 9;
    row.H_winter = 2;
    row.Latitude = 48.85;
    row.Longitude = 2.35;
    row.PosX = 770;
    row.PosY = 469;
    return row;
}

class PropertiesDialog : public ::testing::Test {
protected:
    TfmLocationProperties dialog{kAppDir};

    QLabel* labelWithText(const QString& text, int occurrence = 0) const
    {
        for (QLabel* l : dialog.findChildren<QLabel*>())
            if (l->text() == text && occurrence-- == 0)
                return l;
        return nullptr;
    }
    MapPoint shownPosition() const { return {dialog.spinHor()->value(), dialog.spinVert()->value()}; }
    MapPoint positionOfShownCoordinates() const
    {
        const LocationPropertiesValues v = dialog.shownValues();
        return mapPositionOf(joinCoordinate(v.latitude), joinCoordinate(v.longitude));
    }
};

TEST_F(PropertiesDialog, LayoutCaptionsListsAndHints)
{
    EXPECT_EQ(dialog.windowTitle(), "Location Properties");
    EXPECT_EQ(dialog.size(), QSize(837, 512));
    EXPECT_EQ(HelpRouter::helpContext(&dialog), 50);

    EXPECT_EQ(dialog.gbLocation()->title(), " Geographical Location");
    EXPECT_TRUE(dialog.gbLocation()->font().bold());
    EXPECT_FALSE(labelWithText("City")->font().bold()) << "the bold title leaves the contents normal";
    EXPECT_FALSE(dialog.btnEditCity()->font().bold());
    QStringList groupTitles;
    for (QGroupBox* g : dialog.findChildren<QGroupBox*>())
        groupTitles << g->title();
    for (const char* title : {"Geographical Coordinates", "Position Adjustment", "Summer Time Rules", "Position Preview"})
        EXPECT_TRUE(groupTitles.contains(QString::fromLatin1(title))) << title;
    EXPECT_EQ(dialog.gbSummerTimeRules()->title(), "Summer Time Rules");
    for (const char* text : {"City", "Country", "Latitude", "Longitude", "GMT", "Horizontal adjustment",
                             "Vertical adjustment", "Starts (+1h) :", "Ends (-1h) :", "h"})
        EXPECT_NE(labelWithText(QString::fromLatin1(text)), nullptr) << text;
    EXPECT_NE(labelWithText("of", 1), nullptr) << "one \"of\" per rule row";
    EXPECT_NE(labelWithText("d", 1), nullptr);
    EXPECT_NE(labelWithText("m", 2), nullptr);

    EXPECT_EQ(dialog.btnEditCity()->button()->toolTip(), "Select");
    EXPECT_EQ(dialog.btnEditCity()->button()->statusTip(), "Select a city and its data using the Varo Cities database");
    EXPECT_FALSE(dialog.btnEditCity()->button()->isHidden());
    EXPECT_TRUE(dialog.btnEditCountry()->button()->isHidden());

    const auto entries = [](const QComboBox* cb) {
        QStringList out;
        for (int i = 0; i < cb->count(); ++i)
            out << cb->itemText(i);
        return out.join(u',');
    };
    EXPECT_EQ(entries(dialog.cbSignLat()), "S,N");
    EXPECT_EQ(entries(dialog.cbSignLong()), "W,E");
    EXPECT_EQ(entries(dialog.cbSignGmt()), "W,E");
    for (RuleList l : {kN_Summer, kN_Winter})
        EXPECT_EQ(entries(dialog.ruleList(l)), "Last,1st,2nd,3rd,4th,Second Last");
    for (RuleList l : {kJ_Summer, kJ_Winter})
        EXPECT_EQ(entries(dialog.ruleList(l)), "Mon,Tue,Wed,Thu,Fri,Sat,Sun");
    for (RuleList l : {kM_Summer, kM_Winter}) {
        EXPECT_EQ(entries(dialog.ruleList(l)), "Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec");
        EXPECT_EQ(dialog.ruleList(l)->maxVisibleItems(), 12);
    }
    EXPECT_EQ(dialog.chkHasSummerTimeRules()->text(), "Use Summer Time Rules");

    EXPECT_EQ(dialog.btnOK()->text(), "OK");
    EXPECT_TRUE(dialog.btnOK()->isDefault());
    EXPECT_EQ(dialog.btnCancel()->text(), "&Cancel");
    EXPECT_EQ(dialog.dxButton1()->text(), "Help");

    struct Range {
        const char* name;
        double minimum, maximum;
    };
    const auto range = [](const QAbstractSpinBox* s) -> std::pair<double, double> {
        if (auto* w = qobject_cast<const WholeSpinBox*>(s))
            return {static_cast<double>(w->minimum()), static_cast<double>(w->maximum())};
        auto* d = qobject_cast<const DecimalSpinBox*>(s);
        return {d->minimum(), d->maximum()};
    };
    const std::pair<QAbstractSpinBox*, Range> spinners[] = {
        {dialog.spinDegLat(), {"spinDegLat", 0, 90}},     {dialog.spinMinutLat(), {"spinMinutLat", 0, 59.99}},
        {dialog.spinDegLong(), {"spinDegLong", 0, 180}},  {dialog.spinMinutLong(), {"spinMinutLong", 0, 59.99}},
        {dialog.spinHrsGmt(), {"spinHrsGmt", 0, 25}},     {dialog.spinMinutGmt(), {"spinMinutGmt", 0, 59}},
        {dialog.spinHor(), {"spinHor", 0, 1600}},         {dialog.spinVert(), {"spinVert", 0, 1600}},
    };
    for (const auto& [spinner, expected] : spinners) {
        EXPECT_EQ(spinner->objectName(), expected.name);
        EXPECT_EQ(range(spinner), std::make_pair(expected.minimum, expected.maximum)) << expected.name;
        EXPECT_TRUE(isMonospaced(spinner->font())) << expected.name << " uses a fixed-pitch font";
    }
}

TEST_F(PropertiesDialog, GmtMinutesPageStepIsFifteen)
{
    dialog.spinMinutGmt()->setValue(10);
    QKeyEvent pageUp(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    QApplication::sendEvent(dialog.spinMinutGmt(), &pageUp);
    EXPECT_EQ(dialog.spinMinutGmt()->value(), 25);
    QKeyEvent pageDown(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(dialog.spinMinutGmt(), &pageDown);
    QApplication::sendEvent(dialog.spinMinutGmt(), &pageDown);
    EXPECT_EQ(dialog.spinMinutGmt()->value(), 0) << "clamped at the minimum";
}

struct RoundTripCase {
    const char* name;
    double latitude, longitude, gmt;
    const char* shown[9]; // side, whole, minutes of latitude, longitude and offset, as the controls show them
    double latitudeBack, longitudeBack, gmtBack;
};

void PrintTo(const RoundTripCase& c, std::ostream* os)
{
    *os << c.name;
}


class RoundTrip : public PropertiesDialog, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(RoundTrip, ShowsTheRowAndWritesItBack)
{
    const RoundTripCase& c = GetParam();
    LocationRow row = baseRow();
    row.Latitude = c.latitude;
    row.Longitude = c.longitude;
    row.GMT = c.gmt;
    dialog.fillFromRow(row);

    const QString shown[9] = {dialog.cbSignLat()->currentText(),  dialog.spinDegLat()->text(),
                              dialog.spinMinutLat()->text(),      dialog.cbSignLong()->currentText(),
                              dialog.spinDegLong()->text(),       dialog.spinMinutLong()->text(),
                              dialog.cbSignGmt()->currentText(),  dialog.spinHrsGmt()->text(),
                              dialog.spinMinutGmt()->text()};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(shown[i].toStdString(), c.shown[i]) << c.name << ", control " << i;
    EXPECT_EQ(shownPosition(), (MapPoint{row.PosX, row.PosY})) << c.name << ": the stored position wins";

    LocationRow back = row;
    dialog.writeIntoRow(back);
    EXPECT_DOUBLE_EQ(back.Latitude, c.latitudeBack) << c.name;
    EXPECT_DOUBLE_EQ(back.Longitude, c.longitudeBack) << c.name;
    EXPECT_DOUBLE_EQ(back.GMT, c.gmtBack) << c.name;
    LocationRow rest = back;
    rest.Latitude = row.Latitude;
    rest.Longitude = row.Longitude;
    rest.GMT = row.GMT;
    EXPECT_EQ(rest, row) << c.name << ": every other field comes back as it was";
}

const double kSouth33d56m = static_cast<double>(-(56.0L / 60.0L + 33.0L));

INSTANTIATE_TEST_SUITE_P(
    Rows, RoundTrip,
    ::testing::Values(
        RoundTripCase{"latitude2_51", 2.51, 2.35, 1.0, {"N", "2", "30", "E", "2", "21", "E", "1", "0"}, 2.5, 2.35, 1.0},
        RoundTripCase{"offset5_75", 28.6, 77.2, 5.75, {"N", "28", "36", "E", "77", "12", "E", "5", "45"}, 28.6, 77.2, 5.75},
        RoundTripCase{"offsetMinus3_5", 47.5615, -52.7126, -3.5,
                      {"N", "47", "33", "W", "52", "42", "W", "3", "30"}, 47.55, -52.7, -3.5},
        RoundTripCase{"zerosAreNorthAndEast", 0.0, 0.0, 0.0, {"N", "0", "0", "E", "0", "0", "E", "0", "0"}, 0.0, 0.0, 0.0},
        RoundTripCase{"wholeMinutesStaySouthWest", kSouth33d56m, -70.5, -4.0,
                      {"S", "33", "56", "W", "70", "30", "W", "4", "0"}, kSouth33d56m, -70.5, -4.0}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(PropertiesDialog, MonthFieldsOfMinusOneShowEmptyListsAndWriteMinusOne)
{
    LocationRow row = baseRow();
    row.UsesSummerTime = false;
    row.N_summer = row.J_summer = row.M_summer = -1;
    row.N_winter = 0;
    row.J_winter = 7; // beyond "Sun"
    row.M_winter = -1;
    dialog.fillFromRow(row);
    EXPECT_EQ(dialog.ruleList(kM_Summer)->currentIndex(), -1);
    EXPECT_EQ(dialog.ruleList(kM_Summer)->currentText(), "");
    EXPECT_EQ(dialog.ruleList(kM_Winter)->currentText(), "");
    EXPECT_EQ(dialog.ruleList(kJ_Winter)->currentText(), "");
    EXPECT_EQ(dialog.ruleList(kN_Winter)->currentText(), "Last");
    LocationRow back = baseRow();
    dialog.writeIntoRow(back);
    EXPECT_EQ(back.N_summer, -1);
    EXPECT_EQ(back.J_summer, -1);
    EXPECT_EQ(back.M_summer, -1);
    EXPECT_EQ(back.N_winter, 0);
    EXPECT_EQ(back.J_winter, -1);
    EXPECT_EQ(back.M_winter, -1);
    EXPECT_EQ(back.H_summer, 3);
    EXPECT_EQ(back.H_winter, 2);
    EXPECT_FALSE(back.UsesSummerTime);
}

TEST_F(PropertiesDialog, TypedMinutesKeepTheirDecimalsAndEmptyFieldsCountAsTheMinimum)
{
    LocationRow row = baseRow();
    row.Latitude = 48.0;
    dialog.fillFromRow(row);
    dialog.spinMinutLat()->editor()->setText(QStringLiteral("14.5"));
    EXPECT_EQ(shownPosition(), positionOfShownCoordinates()) << "typing moves the position";
    LocationRow back = row;
    dialog.writeIntoRow(back);
    EXPECT_DOUBLE_EQ(back.Latitude, 48.0 + 14.5 / 60.0);

    TfmLocationProperties reopened(kAppDir);
    reopened.fillFromRow(back);
    EXPECT_EQ(reopened.spinMinutLat()->text(), "14") << "the next opening shows the whole minutes";

    // An emptied field counts as 0 at once, for the preview and for the row.
    dialog.spinDegLat()->editor()->setText(QString());
    EXPECT_EQ(dialog.spinDegLat()->shownValue(), 0);
    EXPECT_EQ(shownPosition(), mapPositionOf(14.5 / 60.0, 2.35)) << "the position follows the empty field";
    dialog.spinHrsGmt()->editor()->setText(QString());
    dialog.spinMinutGmt()->setValue(30);
    dialog.cbSignGmt()->setCurrentIndex(0);
    dialog.writeIntoRow(back);
    EXPECT_DOUBLE_EQ(back.Latitude, 14.5 / 60.0);
    EXPECT_DOUBLE_EQ(back.GMT, -0.5);
}

TEST_F(PropertiesDialog, CoordinateChangesRecomputeThePositionAndTheOffsetDoesNot)
{
    LocationRow row = baseRow();
    row.PosX = 5;
    row.PosY = 7;
    dialog.fillFromRow(row);
    ASSERT_EQ(shownPosition(), (MapPoint{5, 7}));

    dialog.spinDegLat()->setValue(40);
    EXPECT_EQ(shownPosition(), mapPositionOf(40.0 + 51.0 / 60.0, 2.35));
    dialog.cbSignLat()->setCurrentIndex(0);
    EXPECT_EQ(shownPosition(), mapPositionOf(-(40.0 + 51.0 / 60.0), 2.35)) << "S";
    dialog.cbSignLong()->setCurrentIndex(0);
    dialog.spinDegLong()->setValue(120);
    EXPECT_EQ(shownPosition(), mapPositionOf(-(40.0 + 51.0 / 60.0), -(120.0 + 21.0 / 60.0))) << "W";
    EXPECT_EQ(dialog.imgWorld()->pos(), QPoint(251 - dialog.spinHor()->value(), 218 - dialog.spinVert()->value()));

    // A manual adjustment stays until a coordinate changes; the offset row never moves it.
    dialog.spinHor()->setValue(1000);
    dialog.spinHrsGmt()->setValue(9);
    dialog.cbSignGmt()->setCurrentIndex(0);
    dialog.spinMinutGmt()->setValue(30);
    EXPECT_EQ(dialog.spinHor()->value(), 1000);
    dialog.spinMinutLong()->setValue(22);
    EXPECT_EQ(shownPosition(), positionOfShownCoordinates());
}

TEST_F(PropertiesDialog, PreviewPutsTheMapPositionJustBelowRightOfTheCrossHairs)
{
    EXPECT_EQ(dialog.pnlImage()->size(), QSize(502, 435));
    const auto* horizontal = dialog.pnlImage()->findChild<QFrame*>("lineHorizontal");
    const auto* vertical = dialog.pnlImage()->findChild<QFrame*>("lineVertical");
    ASSERT_NE(horizontal, nullptr);
    ASSERT_NE(vertical, nullptr);
    EXPECT_EQ(horizontal->geometry(), QRect(1, 215, 500, 1));
    EXPECT_EQ(vertical->geometry(), QRect(250, -32, 1, 500));

    const MapPoint positions[] = {{0, 0}, {761, 737}, {1600, 1600}, {1107, 484}, {68, 1181}};
    for (const MapPoint p : positions) {
        dialog.spinHor()->setValue(p.x);
        dialog.spinVert()->setValue(p.y);
        EXPECT_EQ(dialog.imgWorld()->pos(), QPoint(251 - p.x, 218 - p.y)) << p.x << ", " << p.y;
    }

    // What the panel shows: the reference map with its pixel (x, y) at panel point (251, 218).
    ASSERT_TRUE(dialog.referenceMapLoaded()) << "the build copies the reference map into the application folder";
    const QImage map = QImage(QString::fromStdString((kAppDir / "opt" / "world_reference.gif").string()))
                           .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(map.size(), QSize(1600, 1200));
    const MapPoint london = mapPositionOf(51.5074, -0.1278); // on the Thames estuary's coastline
    dialog.spinHor()->setValue(london.x);
    dialog.spinVert()->setValue(london.y);
    dialog.show();
    const QImage panel = dialog.pnlImage()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    dialog.hide();
    ASSERT_EQ(panel.size(), QSize(502, 435));
    QSet<QRgb> colours;
    int mismatches = 0;
    // Two blocks beside the lines: below right of their crossing and above left of it.
    for (const auto& [left, top] : {std::pair{251, 218}, std::pair{220, 185}})
        for (int dy = 0; dy < 30; ++dy)
            for (int dx = 0; dx < 30; ++dx) {
                const QRgb expected = map.pixel(london.x - 251 + left + dx, london.y - 218 + top + dy);
                colours.insert(expected);
                mismatches += panel.pixel(left + dx, top + dy) == expected ? 0 : 1;
            }
    EXPECT_GT(colours.size(), 1) << "the compared part of the map is not a plain field";
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(panel.pixel(100, 215), qRgb(255, 0, 0));
    EXPECT_EQ(panel.pixel(250, 400), qRgb(255, 0, 0));
}

TEST_F(PropertiesDialog, TheRuleRowsFollowTheBoxAndAreWrittenEitherWay)
{
    const auto ruleRowsShown = [this] {
        int shown = 0;
        for (int i = 0; i < kRuleListCount; ++i)
            shown += dialog.ruleList(static_cast<RuleList>(i))->isHidden() ? 0 : 1;
        for (const char* text : {"Starts (+1h) :", "Ends (-1h) :"})
            shown += labelWithText(QString::fromLatin1(text))->isHidden() ? 0 : 1;
        shown += labelWithText("of", 0)->isHidden() ? 0 : 1;
        shown += labelWithText("of", 1)->isHidden() ? 0 : 1;
        return shown;
    };
    EXPECT_EQ(ruleRowsShown(), 0) << "unticked from the start";

    dialog.fillFromRow(baseRow()); // ticked
    EXPECT_EQ(ruleRowsShown(), 10);
    dialog.chkHasSummerTimeRules()->click();
    EXPECT_FALSE(dialog.chkHasSummerTimeRules()->isChecked());
    EXPECT_EQ(ruleRowsShown(), 0);
    dialog.ruleList(kM_Winter)->setCurrentIndex(10);

    LocationRow back;
    dialog.writeIntoRow(back);
    EXPECT_FALSE(back.UsesSummerTime);
    EXPECT_EQ(back.N_summer, 0);
    EXPECT_EQ(back.J_summer, 6);
    EXPECT_EQ(back.M_summer, 2);
    EXPECT_EQ(back.J_winter, 6);
    EXPECT_EQ(back.M_winter, 10) << "the hidden lists are still written";

    dialog.chkHasSummerTimeRules()->setChecked(true); // from code
    EXPECT_EQ(ruleRowsShown(), 10);
}

TEST_F(PropertiesDialog, AnEmptyCityListTakesOverZerosAndEmptyTexts)
{
    dialog.fillFromRow(baseRow());
    dialog.takeCityOver(SelectedCity{});
    LocationRow back = baseRow();
    dialog.writeIntoRow(back);
    EXPECT_EQ(back.name_City, "");
    EXPECT_EQ(back.name_Country, "");
    EXPECT_EQ(back.id_City, 0);
    EXPECT_EQ(back.id_Country, 0);
    EXPECT_EQ(back.id_Timezone, 0);
    EXPECT_EQ(back.Latitude, 0.0);
    EXPECT_EQ(back.Longitude, 0.0);
    EXPECT_EQ(back.GMT, 0.0);
    EXPECT_EQ(dialog.cbSignLat()->currentText(), "N");
    EXPECT_EQ(dialog.cbSignGmt()->currentText(), "E");
    EXPECT_FALSE(back.UsesSummerTime);
    EXPECT_EQ(dialog.ruleList(kN_Summer)->currentText(), "Last");
    EXPECT_EQ(dialog.ruleList(kN_Winter)->currentText(), "Last");
    EXPECT_EQ(back.J_summer, -1);
    EXPECT_EQ(back.M_summer, -1);
    EXPECT_EQ(back.J_winter, -1);
    EXPECT_EQ(back.M_winter, -1);
    EXPECT_EQ((MapPoint{back.PosX, back.PosY}), mapPositionOf(0, 0));
}

class CityTakeOver : public PropertiesDialog {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::is_regular_file(kAppDir / "data" / "Cities.db")) << "Cities.db has not been built";
        ASSERT_TRUE(dialog.btnEditCity()->button()->isEnabled());
    }
    /// Presses the city button; `inSelection` runs inside the open city selection and closes it.
    void pressCityButton(std::function<void(TfmSelectCity&)> inSelection)
    {
        bool ran = false;
        whenModal<TfmSelectCity>([&](TfmSelectCity& selection) {
            ran = true;
            EXPECT_FALSE(dialog.findChild<QWidget*>("client")->isEnabled()) << "this dialog is disabled meanwhile";
            inSelection(selection);
        });
        dialog.btnEditCity()->button()->click();
        EXPECT_TRUE(ran);
        EXPECT_TRUE(dialog.findChild<QWidget*>("client")->isEnabled()) << "enabled again";
        EXPECT_EQ(dialog.findChild<TfmSelectCity*>(), nullptr) << "the city selection is freed";
    }
};

TEST_F(CityTakeOver, OkTakesEveryValueOverFromTheCityOfTheTag)
{
    LocationRow row = baseRow();
    row.id_City = 2147714; // Sydney, Australia
    dialog.fillFromRow(row);
    SelectedCity chosen;
    pressCityButton([&](TfmSelectCity& selection) {
        chosen = selection.currentCity();
        selection.accept();
    });
    ASSERT_EQ(chosen.Id, 2147714) << "the selection opens on the place's city";
    ASSERT_EQ(chosen.F_Name, "Sydney");

    EXPECT_EQ(dialog.btnEditCity()->text(), "Sydney");
    EXPECT_EQ(dialog.btnEditCity()->tag(), 2147714);
    EXPECT_EQ(dialog.btnEditCountry()->text(), chosen.LocalName);
    EXPECT_EQ(dialog.btnEditCountry()->tag(), chosen.Country_ID);
    EXPECT_EQ(dialog.summerTimeRulesTag(), chosen.Zone);
    // −33.86785, 151.20732 and ten hours east, split into whole minutes.
    const QString shown[9] = {dialog.cbSignLat()->currentText(),  dialog.spinDegLat()->text(),
                              dialog.spinMinutLat()->text(),      dialog.cbSignLong()->currentText(),
                              dialog.spinDegLong()->text(),       dialog.spinMinutLong()->text(),
                              dialog.cbSignGmt()->currentText(),  dialog.spinHrsGmt()->text(),
                              dialog.spinMinutGmt()->text()};
    EXPECT_EQ(QStringList(std::begin(shown), std::end(shown)).join(u' '), "S 33 52 E 151 12 E 10 0");
    EXPECT_TRUE(dialog.chkHasSummerTimeRules()->isChecked());
    EXPECT_FALSE(dialog.ruleList(kM_Summer)->isHidden());
    // Australia/Sydney: first Sunday of October to first Sunday of April, weekdays and months minus one.
    QStringList rules;
    for (int i = 0; i < kRuleListCount; ++i)
        rules << dialog.ruleList(static_cast<RuleList>(i))->currentText();
    EXPECT_EQ(rules.join(u' '), "1st Sun Oct 1st Sun Apr");
    EXPECT_EQ(shownPosition(), mapPositionOf(chosen.Lat, chosen.Lon)) << "from the exact coordinates";
    EXPECT_EQ(dialog.imgWorld()->pos(), QPoint(251 - dialog.spinHor()->value(), 218 - dialog.spinVert()->value()));

    LocationRow back = row;
    dialog.writeIntoRow(back);
    EXPECT_EQ(back.name_City, "Sydney");
    EXPECT_EQ(back.id_Timezone, chosen.Zone);
    EXPECT_DOUBLE_EQ(back.Latitude, -(33.0 + 52.0 / 60.0));
    EXPECT_DOUBLE_EQ(back.GMT, 10.0);
    EXPECT_EQ(back.M_winter, 3);

    // Afterwards a coordinate change recomputes the position from the shown, whole minutes.
    dialog.spinMinutLat()->setValue(53);
    EXPECT_EQ(shownPosition(), mapPositionOf(-(33.0 + 53.0 / 60.0), 151.2));
}

TEST_F(CityTakeOver, WithoutACityTheSelectionOpensOnCity1131OrItsFirstRow)
{
    LocationRow row = baseRow();
    row.id_City = 0;
    dialog.fillFromRow(row);
    SelectedCity opened;
    bool found1131 = false;
    SelectedCity after1131;
    pressCityButton([&](TfmSelectCity& selection) {
        opened = selection.currentCity();
        found1131 = selection.positionOnCity(1131);
        after1131 = selection.currentCity();
        selection.reject();
    });
    EXPECT_EQ(opened, after1131) << "opened where positioning on 1131 puts the list (found: " << found1131 << ")";
    EXPECT_NE(opened.Id, 0);
}

TEST_F(CityTakeOver, CancelInTheSelectionChangesNothing)
{
    dialog.fillFromRow(baseRow());
    const LocationPropertiesValues before = dialog.shownValues();
    pressCityButton([](TfmSelectCity& selection) {
        selection.positionOnCity(2147714);
        selection.reject();
    });
    EXPECT_EQ(dialog.shownValues(), before);
}

TEST(PropertiesDialogWithoutCities, TheCityButtonSaysTheDatabaseIsMissing)
{
    const std::filesystem::path empty = std::filesystem::temp_directory_path() / "orbiclock-properties-no-cities";
    std::filesystem::remove_all(empty);
    std::filesystem::create_directories(empty);
    TfmLocationProperties dialog(empty);
    EXPECT_FALSE(dialog.btnEditCity()->button()->isEnabled());
    EXPECT_EQ(dialog.btnEditCity()->button()->toolTip(), TfmLocationProperties::kCityDatabaseMissing);
    EXPECT_FALSE(dialog.referenceMapLoaded());
    EXPECT_EQ(dialog.imgWorld()->size(), QSize(1600, 1200)) << "an empty field of the map's size instead";
    dialog.fillFromRow(baseRow());
    EXPECT_NO_THROW(dialog.btnEditCityButtonClick());
    EXPECT_EQ(dialog.findChild<TfmSelectCity*>(), nullptr);
    EXPECT_EQ(dialog.btnEditCity()->text(), "Paris") << "nothing taken over";
    std::filesystem::remove_all(empty);
}

TEST(PropertiesDialogHelp, HelpButtonAndF1ShowTheCityPropertiesPage)
{
    QWidget mainWindow;
    auto* router = new HelpRouter(&mainWindow);
    router->setHelpFile(std::filesystem::path(ORBICLOCK_SOURCE_DIR) / "assets" / "help");
    TfmLocationProperties dialog(kAppDir, &mainWindow);
    std::vector<int> requests;
    QObject::connect(&dialog, &TfmLocationProperties::helpRequested, [&](int context) { requests.push_back(context); });

    dialog.dxButton1()->click();
    ASSERT_NE(router->helpWindow(), nullptr);
    EXPECT_EQ(router->helpWindow()->currentPage().filename(), "City_Properties.htm");
    router->closeHelpWindow();

    QShortcut* f1 = nullptr;
    for (QShortcut* s : dialog.findChildren<QShortcut*>())
        if (s->key() == QKeySequence(Qt::Key_F1))
            f1 = s;
    ASSERT_NE(f1, nullptr);
    emit f1->activated();
    EXPECT_EQ(requests, (std::vector<int>{50, 50}));
    router->closeHelpWindow();
}

/// The main window over a temporary application folder, with Modify opening this dialog.
class ModifyInMainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("orbiclock-modify-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_dir);
        testing::createLocationDatabase(m_dir / "data", 14);
        MainWindowServices s;
        s.executablePath = m_dir / "Orbiclock";
        s.clock = &m_clock;
        s.screenSize = [] { return ScreenSize{1280, 1024}; };
        s.askUpdateQuestion = [] { return 7; };
        s.editPlace = [dir = m_dir](QWidget* parent, const LocationRow& row) {
            return TfmLocationProperties::editPlace(dir, parent, row);
        };
        m_main = std::make_unique<TdlgMain>(std::move(s));
        m_main->FormCreate();
        m_main->tblLocations().moveTo(4);
        m_before = m_main->tblLocations().current();
    }
    void TearDown() override
    {
        m_main.reset();
        std::filesystem::remove_all(m_dir);
    }
    /// The row as stored in the database file, read by a store of its own.
    LocationRow storedRow(std::int32_t idx) const
    {
        LocationStore store;
        store.setDirectory(m_dir / "data");
        store.open();
        for (const LocationRow& r : store.rows())
            if (r.IDX == idx)
                return r;
        ADD_FAILURE() << "no row " << idx;
        return {};
    }

    std::filesystem::path m_dir;
    FixedClock m_clock{encodeDate(2024, 6, 1) + 0.5};
    std::unique_ptr<TdlgMain> m_main;
    LocationRow m_before;
};

TEST_F(ModifyInMainWindow, OkWritesTheDialogIntoTheRowAndMarksTheListChanged)
{
    bool opened = false;
    whenModal<TfmLocationProperties>([&](TfmLocationProperties& properties) {
        opened = true;
        EXPECT_EQ(properties.btnEditCity()->text().toStdString(), m_before.name_City);
        properties.spinDegLat()->setValue(45);
        properties.btnEditCountry()->setText(QStringLiteral("Elsewhere"));
        properties.btnOK()->click();
    });
    m_main->btnModifyClick();
    ASSERT_TRUE(opened);
    EXPECT_TRUE(m_main->locationsChanged());

    LocationRow expected = m_before;
    expected.Latitude = 45.0;
    expected.name_Country = "Elsewhere";
    expected.H_summer = 3;
    expected.H_winter = 2;
    const MapPoint position = mapPositionOf(45.0, m_before.Longitude);
    expected.PosX = position.x;
    expected.PosY = position.y;
    EXPECT_EQ(m_main->tblLocations().current(), expected);
    EXPECT_EQ(storedRow(m_before.IDX), expected) << "posted to the table";
}

TEST_F(ModifyInMainWindow, OkWithoutEditsStillMarksTheListChanged)
{
    whenModal<TfmLocationProperties>([](TfmLocationProperties& properties) { properties.btnOK()->click(); });
    m_main->btnModifyClick();
    EXPECT_TRUE(m_main->locationsChanged());
    LocationRow expected = m_before;
    expected.H_summer = 3;
    expected.H_winter = 2;
    EXPECT_EQ(storedRow(m_before.IDX), expected);
}

TEST_F(ModifyInMainWindow, CancelLeavesTheRowUnchangedEvenAfterEdits)
{
    whenModal<TfmLocationProperties>([](TfmLocationProperties& properties) {
        properties.spinDegLong()->setValue(3);
        properties.takeCityOver(SelectedCity{});
        properties.btnCancel()->click();
    });
    m_main->btnModifyClick();
    EXPECT_FALSE(m_main->locationsChanged());
    EXPECT_EQ(m_main->tblLocations().current(), m_before);
    EXPECT_EQ(storedRow(m_before.IDX), m_before);
}

} // namespace
} // namespace orbiclock

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
