// The main window's start-up and close: settings, visible count, overlay size, and what a missing
// table leaves behind.

#include "locations/TdlgMain.h"

#include "TestLocationDatabase.h"
#include "astro/Clock.h"
#include "astro/DateTime.h"
#include "astro/OrbiclockError.h"
#include "wallpaper/IniFile.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <fstream>

namespace orbiclock {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("orbiclock-main-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    MainWindowServices services(std::int32_t screenWidth)
    {
        MainWindowServices s;
        s.executablePath = m_dir / "Orbiclock";
        s.clock = &m_clock;
        s.screenSize = [screenWidth] { return ScreenSize{screenWidth, 1000}; };
        s.askUpdateQuestion = [this] {
            ++m_questions;
            return m_answer;
        };
        return s;
    }
    void storeSetting(const std::string& value)
    {
        std::ofstream(m_dir / "Orbiclock.ini", std::ios::binary) << "[Settings]\r\nMaxNumLocs=" << value << "\r\n";
    }
    std::int32_t storedSetting() { return IniFile(m_dir / "Orbiclock.ini").readInteger("Settings", "MaxNumLocs", -999); }

    std::filesystem::path m_dir;
    FixedClock m_clock{encodeDate(2024, 6, 1) + 0.5};
    int m_questions = 0;
    int m_answer = 2;
};

TEST_F(MainWindowTest, StartUpTakesTheSettingTheScreenBandAndTheTableSize)
{
    struct Case {
        const char* name;
        int rows;
        std::int32_t screenWidth;
        const char* stored; // nullptr: no settings file
        std::int32_t spinner;
        std::int32_t visibleRows;
        OverlaySize overlay;
    };
    const Case cases[] = {
        {"noFile1280", 56, 1280, nullptr, 30, 31, {1100, 900}},
        {"noFile1920", 56, 1920, nullptr, 55, 56, {1390, 1200}},
        {"noFile1024", 56, 1024, nullptr, 20, 21, {890, 768}},
        {"noFile800", 56, 800, nullptr, 15, 16, {695, 600}},
        {"noFile640", 56, 640, nullptr, 10, 11, {695, 600}},
        {"zeroIsMissing", 56, 1280, "0", 30, 31, {1100, 900}},
        {"hex", 56, 1280, "0x14", 20, 21, {1100, 900}},
        {"dollarHex", 56, 1280, "$14", 20, 21, {1100, 900}},
        {"belowMinimum", 56, 1280, "5", 10, 11, {1100, 900}},
        {"negative", 56, 1280, "-4", 10, 11, {1100, 900}},
        {"aboveMaximum", 56, 1280, "99", 55, 56, {1100, 900}},
        {"notANumber", 56, 1920, "many", 55, 56, {1390, 1200}},
        {"shortTableClamps", 20, 1280, "30", 19, 20, {1100, 900}},
        {"eightRowsNoClamping", 8, 1280, "30", 30, 8, {1100, 900}},
    };
    for (const auto& c : cases) {
        SetUp();
        testing::createLocationDatabase(m_dir / "data", c.rows);
        if (c.stored)
            storeSetting(c.stored);
        TdlgMain dlg(services(c.screenWidth));
        dlg.FormCreate();
        EXPECT_EQ(dlg.spinNumCities().value(), c.spinner) << c.name;
        EXPECT_EQ(dlg.tblLocations().recordCount(), c.visibleRows) << c.name;
        EXPECT_EQ(dlg.tblLocations().filterText(), "IDX <= " + std::to_string(c.spinner)) << c.name;
        EXPECT_EQ(dlg.overlaySize(), c.overlay) << c.name;
        EXPECT_FALSE(dlg.locationsChanged()) << c.name;
        if (!c.stored) {
            EXPECT_FALSE(std::filesystem::exists(m_dir / "Orbiclock.ini")) << c.name << ": start-up only reads";
        }
        EXPECT_TRUE(dlg.FormClose()) << c.name;
        EXPECT_EQ(storedSetting(), c.spinner) << c.name;
    }
}

TEST_F(MainWindowTest, ChangingTheCountRefiltersAndIsWrittenOnlyAtClose)
{
    testing::createLocationDatabase(m_dir / "data", 56);
    storeSetting("10");
    TdlgMain dlg(services(1280));
    dlg.FormCreate();
    EXPECT_EQ(dlg.tblLocations().recordCount(), 11);
    dlg.setVisibleCount(12);
    EXPECT_EQ(dlg.tblLocations().recordCount(), 13);
    EXPECT_EQ(storedSetting(), 10);
    dlg.FormClose();
    EXPECT_EQ(storedSetting(), 12);
}

TEST_F(MainWindowTest, CloseQuestionOnlyAfterChangesAndCancelStillWritesTheSetting)
{
    testing::createLocationDatabase(m_dir / "data", 56);
    TdlgMain dlg(services(1280));
    dlg.FormCreate();
    EXPECT_TRUE(dlg.FormClose());
    EXPECT_EQ(m_questions, 0);

    dlg.setLocationsChanged(true);
    dlg.setVisibleCount(14);
    m_answer = 2; // Cancel
    EXPECT_FALSE(dlg.FormClose());
    EXPECT_EQ(m_questions, 1);
    EXPECT_EQ(storedSetting(), 14);
    m_answer = 7; // No
    EXPECT_TRUE(dlg.FormClose());
    EXPECT_TRUE(dlg.locationsChanged()) << "No closes without updating";
}

TEST_F(MainWindowTest, MissingTableIsReportedAndLeavesTheDesignValues)
{
    TdlgMain dlg(services(1920));
    EXPECT_THROW(dlg.FormCreate(), OrbiclockError);
    EXPECT_FALSE(dlg.tblLocations().isOpen());
    EXPECT_EQ(dlg.spinNumCities().value(), CountSpinnerModel::kDesignValue);
    EXPECT_EQ(dlg.spinNumCities().maximum(), CountSpinnerModel::kDesignMaximum);
    EXPECT_EQ(dlg.overlaySize(), (OverlaySize{0, 0}));
    try {
        dlg.btnUpdateClick();
        FAIL() << "the update should fail at its location step";
    } catch (const OrbiclockError& e) {
        // The template is missing in this folder too, so the update stops at its first file.
        EXPECT_NE(std::string(e.what()).find("Cannot open file"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(dlg.isEnabled());
    EXPECT_TRUE(dlg.FormClose());
    EXPECT_EQ(storedSetting(), CountSpinnerModel::kDesignValue);
}

TEST_F(MainWindowTest, UnwritableSettingsFileStopsTheClose)
{
    testing::createLocationDatabase(m_dir / "data", 56);
    TdlgMain dlg(services(1280));
    dlg.FormCreate();
    std::filesystem::create_directory(m_dir / "Orbiclock.ini");
    try {
        dlg.FormClose();
        FAIL() << "no error";
    } catch (const OrbiclockError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + (m_dir / "Orbiclock.ini").string());
    }
}

TEST(CountSpinnerModel, ClampsOnlyWhileTheBoundsDiffer)
{
    CountSpinnerModel m;
    m.setValue(99);
    EXPECT_EQ(m.value(), 55);
    m.setValue(-1);
    EXPECT_EQ(m.value(), 10);
    m.setMaximum(19);
    m.setValue(30);
    EXPECT_EQ(m.value(), 19);
    m.setMaximum(7);
    EXPECT_EQ(m.minimum(), 7);
    m.setValue(30);
    EXPECT_EQ(m.value(), 30);
    m.setValue(-5);
    EXPECT_EQ(m.value(), -5);
}

} // namespace
} // namespace orbiclock

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
