#include "wallpaper/UpdatePipeline.h"

#include "astro/Clock.h"
#include "astro/DateTime.h"
#include "astro/Location.h"
#include "astro/OrbiclockError.h"
#include "locations/LocationRow.h"
#include "wallpaper/DaylightOverlays.h"
#include "wallpaper/IniFile.h"
#include "wallpaper/PageContext.h"
#include "wallpaper/SunTableFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <unistd.h>
#include <sys/stat.h>

namespace orbiclock {
namespace {

// Records every call of the pipeline in order, so a test can read the run's whole road.
struct Journal {
    std::vector<std::string> events;
    void add(std::string e) { events.push_back(std::move(e)); }
    bool has(const std::string& e) const { return std::find(events.begin(), events.end(), e) != events.end(); }
    std::vector<std::string> statusTexts() const
    {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (e.rfind("status:", 0) == 0 && e.size() > 7)
                out.push_back(e.substr(7));
        return out;
    }
};

class FakeHost final : public UpdateHost {
public:
    explicit FakeHost(Journal& j) : m_j(j) {}
    void setWindowEnabled(bool on) override
    {
        enabled = on;
        m_j.add(on ? "enable" : "disable");
    }
    void setStatusText(const std::string& text) override
    {
        statusText = text;
        m_j.add("status:" + text);
    }
    void setStatusVisible(bool on) override
    {
        statusVisible = on;
        m_j.add(on ? "panel:show" : "panel:hide");
    }
    void processMessages() override { m_j.add("messages"); }
    void setLocationsChanged(bool on) override
    {
        locationsChanged = on;
        m_j.add(on ? "changed:true" : "changed:false");
    }
    bool enabled = true;
    bool statusVisible = false;
    bool locationsChanged = true;
    std::string statusText = "untouched";

private:
    Journal& m_j;
};

enum class FailAt { Nothing, SunTable, Page, Overlays, Desktop };

class FakeSteps final : public UpdateSteps {
public:
    FakeSteps(Journal& j, FailAt failAt) : m_j(j), m_failAt(failAt) {}
    void writeSunTable(const std::filesystem::path& file, const Clock&, TLocation& gmt) override
    {
        m_j.add("sunTable:" + file.filename().string() + ":" + gmt.Name);
        if (m_failAt == FailAt::SunTable)
            throw FileError("sun table failed");
    }
    void buildPageContents(PageContext& page) override
    {
        m_j.add("page");
        seenCurrentRec = page.currentRec;
        seenOnMap = page.currentPlaceOnMap;
        seenOffsetHours = page.currentOffsetHours;
        seenAppDirUrl = page.appDirUrl;
        seenScreen = page.screen;
        seenVisibleCount = page.visibleCount;
        page.pageText += "<!-- built -->\r\n";
        if (m_failAt == FailAt::Page)
            throw OrbiclockError("page failed");
    }
    void buildDaylightOverlays(const std::filesystem::path&, const BackgroundLayout& bg, OverlaySize overlay) override
    {
        m_j.add("overlays:" + bg.file + ":" + std::to_string(overlay.width));
        if (m_failAt == FailAt::Overlays)
            throw OrbiclockError("overlays failed");
    }
    void installWallpaper(const std::string& pagePath) override
    {
        m_j.add("install:" + std::filesystem::path(pagePath).filename().string());
        if (m_failAt == FailAt::Desktop)
            throw OrbiclockError("desktop failed");
    }
    TLocationRec seenCurrentRec;
    bool seenOnMap = false;
    double seenOffsetHours = -99;
    std::string seenAppDirUrl;
    ScreenSize seenScreen;
    std::int32_t seenVisibleCount = -99;

private:
    Journal& m_j;
    FailAt m_failAt;
};

class VectorCursor final : public LocationCursor {
public:
    explicit VectorCursor(std::vector<LocationRow> rows, bool open = true) : m_rows(std::move(rows)), m_open(open) {}
    void first() override
    {
        check();
        m_at = 0;
    }
    void next() override
    {
        check();
        ++m_at;
    }
    bool eof() const override
    {
        check();
        return m_at >= m_rows.size();
    }
    const LocationRow& current() const override
    {
        check();
        return m_rows.at(m_at);
    }
    std::size_t position() const { return m_at; }

private:
    void check() const
    {
        if (!m_open)
            throw OrbiclockError("Cannot perform this operation on a closed dataset");
    }
    std::vector<LocationRow> m_rows;
    bool m_open;
    std::size_t m_at = 3;
};

LocationRow place(std::int32_t idx, const char* name, double gmt, std::int32_t posX, std::int32_t posY)
{
    LocationRow r;
    r.IDX = idx;
    r.name_City = name;
    r.GMT = gmt;
    r.PosX = posX;
    r.PosY = posY;
    return r;
}

std::string slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class UpdatePipelineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("orbiclock-pipeline-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        std::ofstream(m_dir / "Orbiclock_TEMPLATE.html", std::ios::binary)
            << "<html>\n<script>var off = %%VARO%%Clock0GMTOffset; var again = %%VARO%%Clock0GMTOffset;</script>\n"
               "</html>";
    }
    void TearDown() override
    {
        ::chmod(m_dir.c_str(), 0755);
        std::filesystem::remove_all(m_dir);
    }

    UpdateEnvironment environment(ScreenSize screen = {1920, 1080})
    {
        UpdateEnvironment env;
        env.appDir = m_dir;
        env.clock = &m_clock;
        env.screenSize = [screen] { return screen; };
        env.overlay = {1390, 1200};
        return env;
    }

    std::filesystem::path m_dir;
    FixedClock m_clock{encodeDate(2024, 1, 15) + 0.5};
    Journal m_journal;
    FakeHost m_host{m_journal};
};

TEST_F(UpdatePipelineTest, RunsTheStepsInOrderWithTheirStatusTexts)
{
    FakeSteps steps(m_journal, FailAt::Nothing);
    UpdatePipeline pipeline(environment(), m_host, steps);
    VectorCursor rows({place(0, "Kolkata", 5.5, 1100, 600), place(1, "Lima", -5, 470, 780)});
    pipeline.run(rows);

    const std::vector<std::string> expectedStatus = {status::kScreenSize, status::kLoadingTemplate, status::kSunTable,
                                                     status::kLocations,  status::kSavingPage,      status::kDaylightCurve,
                                                     status::kDesktop};
    EXPECT_EQ(m_journal.statusTexts(), expectedStatus);
    const auto& e = m_journal.events;
    EXPECT_EQ(e.front(), "disable");
    EXPECT_EQ(e.back(), "enable");
    const auto at = [&](const std::string& what) { return std::find(e.begin(), e.end(), what) - e.begin(); };
    EXPECT_LT(at("status:" + std::string(status::kScreenSize)), at("panel:show"));
    EXPECT_LT(at("sunTable:riseset.txt:GMT"), at("page"));
    EXPECT_LT(at("page"), at("changed:false"));
    EXPECT_LT(at("changed:false"), at("overlays:1600_background.gif:1390"));
    EXPECT_LT(at("overlays:1600_background.gif:1390"), at("install:Orbiclock.html"));
    EXPECT_LT(at("install:Orbiclock.html"), at("panel:hide"));
    EXPECT_TRUE(m_host.enabled);
    EXPECT_FALSE(m_host.statusVisible);
    EXPECT_EQ(m_host.statusText, "");
    EXPECT_EQ(rows.position(), 0u) << "the table is back on its first row";
}

TEST_F(UpdatePipelineTest, FillsTheOffsetPlaceholderOnceAndSavesThePageWithCrLf)
{
    FakeSteps steps(m_journal, FailAt::Nothing);
    UpdatePipeline pipeline(environment(), m_host, steps);
    VectorCursor rows({place(0, "Kolkata", 5.5, 1100, 600)});
    pipeline.run(rows);

    const std::string page = slurp(m_dir / "Orbiclock.html");
    EXPECT_EQ(page, "<html>\r\n<script>var off = -5; var again = %%VARO%%Clock0GMTOffset;</script>\r\n</html>\r\n"
                    "<!-- built -->\r\n");
    EXPECT_DOUBLE_EQ(pipeline.currentOffsetHours(), 5.5);
    EXPECT_DOUBLE_EQ(steps.seenOffsetHours, 5.5);
    EXPECT_TRUE(steps.seenOnMap);
    EXPECT_EQ(steps.seenCurrentRec.name_City, "Kolkata");
    EXPECT_EQ(steps.seenCurrentRec.GMTHours, 5);
    EXPECT_EQ(steps.seenCurrentRec.GMTMinutes, 30);
    EXPECT_EQ(pipeline.appDir().back(), '/');
    EXPECT_EQ(steps.seenAppDirUrl, "file://" + pipeline.appDir());
    EXPECT_EQ(steps.seenScreen, (ScreenSize{1920, 1080}));
    EXPECT_EQ(steps.seenVisibleCount, -1) << "no count given: the page works it out";

    UpdateEnvironment env = environment({1601, 1200});
    env.visibleCount = [] { return 20; };
    UpdatePipeline counted(env, m_host, steps);
    counted.run(rows);
    EXPECT_EQ(steps.seenScreen, (ScreenSize{1601, 1200}));
    EXPECT_EQ(steps.seenVisibleCount, 20);
}

TEST_F(UpdatePipelineTest, CurrentPlaceValues)
{
    struct Case {
        const char* name;
        std::vector<LocationRow> rows;
        const char* placeholder;
        double offsetHours;
        bool onMap;
    };
    const Case cases[] = {
        {"gmt", {place(0, "London", 0, 760, 400)}, "+0", 0.0, true},
        {"behindGmt", {place(0, "Caracas", -4, 500, 700)}, "+4", -4.0, true},
        {"halfHourBehind", {place(0, "St. John's", -3.5, 560, 420)}, "+3", -3.5, true},
        {"noPosX", {place(0, "Nowhere", 2, 0, 500)}, "-2", 2.0, false},
        {"noPosY", {place(0, "Nowhere", 2, 500, 0)}, "-2", 2.0, false},
        {"emptyList", {}, "+0", 0.0, false},
    };
    for (const auto& c : cases) {
        Journal journal;
        FakeHost host(journal);
        FakeSteps steps(journal, FailAt::Nothing);
        UpdatePipeline pipeline(environment(), host, steps);
        VectorCursor rows(c.rows);
        pipeline.run(rows);
        const std::string page = slurp(m_dir / "Orbiclock.html");
        EXPECT_NE(page.find(std::string("var off = ") + c.placeholder + ";"), std::string::npos) << c.name << page;
        EXPECT_DOUBLE_EQ(pipeline.currentOffsetHours(), c.offsetHours) << c.name;
        EXPECT_EQ(pipeline.currentPlaceOnMap(), c.onMap) << c.name;
    }
}

TEST_F(UpdatePipelineTest, BackgroundIsChosenFromTheScreenOfEveryRun)
{
    FakeSteps steps(m_journal, FailAt::Nothing);
    ScreenSize screen{1366, 768};
    UpdateEnvironment env = environment();
    env.screenSize = [&screen] { return screen; };
    UpdatePipeline pipeline(env, m_host, steps);
    VectorCursor rows({place(0, "Paris", 1, 770, 390)});
    pipeline.run(rows);
    EXPECT_EQ(pipeline.background(), (BackgroundLayout{"1200_background.gif", 1200, 900, 83, -66, 0.75}));
    screen = {640, 480};
    pipeline.run(rows);
    EXPECT_EQ(pipeline.background(), (BackgroundLayout{"800_background.gif", 640, 480, 0, 0, 0.4}));
}

struct FailureCase {
    const char* name;
    FailAt failAt;
    bool templateMissing;
    bool tableClosed;
    bool pageWritten;
    bool changedAfter;
};

TEST_F(UpdatePipelineTest, EveryFailureRestoresTheWindowAndKeepsWhatWasWritten)
{
    const FailureCase cases[] = {
        {"templateMissing", FailAt::Nothing, true, false, false, true},
        {"sunTable", FailAt::SunTable, false, false, false, true},
        {"closedTable", FailAt::Nothing, false, true, false, true},
        {"page", FailAt::Page, false, false, false, true},
        {"overlays", FailAt::Overlays, false, false, true, false},
        {"desktop", FailAt::Desktop, false, false, true, false},
    };
    for (const auto& c : cases) {
        SetUp();
        std::ofstream(m_dir / "Orbiclock.html", std::ios::binary) << "old page";
        if (c.templateMissing)
            std::filesystem::remove(m_dir / "Orbiclock_TEMPLATE.html");
        Journal journal;
        FakeHost host(journal);
        FakeSteps steps(journal, c.failAt);
        UpdatePipeline pipeline(environment(), host, steps);
        VectorCursor rows({place(0, "Kolkata", 5.5, 1100, 600)}, !c.tableClosed);
        EXPECT_THROW(pipeline.run(rows), OrbiclockError) << c.name;
        EXPECT_TRUE(host.enabled) << c.name;
        EXPECT_FALSE(host.statusVisible) << c.name;
        EXPECT_EQ(host.statusText, "") << c.name;
        EXPECT_EQ(journal.events.back(), "enable") << c.name;
        EXPECT_EQ(host.locationsChanged, c.changedAfter) << c.name;
        const std::string page = slurp(m_dir / "Orbiclock.html");
        if (c.pageWritten)
            EXPECT_NE(page, "old page") << c.name;
        else
            EXPECT_EQ(page, "old page") << c.name;
    }
}

TEST_F(UpdatePipelineTest, TemplateErrorNamesTheFileAndTheReason)
{
    std::filesystem::remove(m_dir / "Orbiclock_TEMPLATE.html");
    FakeSteps steps(m_journal, FailAt::Nothing);
    UpdatePipeline pipeline(environment(), m_host, steps);
    VectorCursor rows({});
    try {
        pipeline.run(rows);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + (m_dir / "Orbiclock_TEMPLATE.html").string() +
                                             "\". No such file or directory");
    }
    EXPECT_FALSE(m_journal.has("sunTable:riseset.txt:GMT"));
}

TEST_F(UpdatePipelineTest, UnwritablePageKeepsTheOldPage)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores file permissions";
    std::ofstream(m_dir / "Orbiclock.html", std::ios::binary) << "old page";
    ::chmod(m_dir.c_str(), 0555);
    FakeSteps steps(m_journal, FailAt::Nothing);
    UpdatePipeline pipeline(environment(), m_host, steps);
    VectorCursor rows({place(0, "Kolkata", 5.5, 1100, 600)});
    try {
        pipeline.run(rows);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + (m_dir / "Orbiclock.html").string() + "\". ", 0), 0u);
    }
    ::chmod(m_dir.c_str(), 0755);
    EXPECT_EQ(slurp(m_dir / "Orbiclock.html"), "old page");
    EXPECT_TRUE(m_host.locationsChanged);
}

TEST_F(UpdatePipelineTest, PageThatIsADirectoryIsNotReplaced)
{
    // Works as root too: a directory cannot be renamed over.
    std::filesystem::create_directory(m_dir / "Orbiclock.html");
    FakeSteps steps(m_journal, FailAt::Nothing);
    UpdatePipeline pipeline(environment(), m_host, steps);
    VectorCursor rows({place(0, "Kolkata", 5.5, 1100, 600)});
    EXPECT_THROW(pipeline.run(rows), FileError);
    EXPECT_TRUE(std::filesystem::is_directory(m_dir / "Orbiclock.html"));
    EXPECT_TRUE(m_host.locationsChanged);
    for (const auto& entry : std::filesystem::directory_iterator(m_dir))
        EXPECT_EQ(entry.path().filename().string().find("Orbiclock.html."), std::string::npos)
            << "temporary file left behind: " << entry.path();
}

TEST_F(UpdatePipelineTest, DeveloperSettingsWrittenOnlyWhenTheirFolderExists)
{
    FakeSteps steps(m_journal, FailAt::Nothing);
    UpdateEnvironment env = environment();
    env.developerSettingsDir = m_dir / "dev";
    {
        UpdatePipeline pipeline(env, m_host, steps);
        VectorCursor rows({place(0, "Kolkata", 5.5, 1100, 600)});
        pipeline.run(rows);
        EXPECT_FALSE(std::filesystem::exists(m_dir / "dev")) << "nothing is created";
    }
    std::filesystem::create_directory(m_dir / "dev");
    for (const auto& [gmt, expected] : {std::pair{5.5, 50}, std::pair{-3.5, -30}, std::pair{0.0, 0}}) {
        UpdatePipeline pipeline(env, m_host, steps);
        VectorCursor rows({place(0, "Here", gmt, 1100, 600)});
        pipeline.run(rows);
        EXPECT_EQ(IniFile(m_dir / "dev" / "Orbiclock.ini").readInteger("Settings", "CurGmtOffsetTimes10", 999),
                  expected)
            << gmt;
    }
}

// The real sun table and overlay steps, which begin the overlay images before the page; the page step
// is a stand-in that looks at the image folder while the images may be under way.
class RealOverlaySteps final : public UpdateSteps {
public:
    RealOverlaySteps(Journal& j, bool failPage) : m_j(j), m_failPage(failPage) {}
    void writeSunTable(const std::filesystem::path& file, const Clock& clock, TLocation& gmt) override
    {
        m_j.add("sunTable");
        m_real.writeSunTable(file, clock, gmt);
    }
    void beginDaylightOverlays(const std::filesystem::path& appDir, const BackgroundLayout& bg,
                               OverlaySize overlay) override
    {
        m_j.add("beginOverlays");
        m_imageFolder = appDir / "opt";
        m_real.beginDaylightOverlays(appDir, bg, overlay);
    }
    void abandonDaylightOverlays() noexcept override
    {
        m_j.add("abandonOverlays");
        m_real.abandonDaylightOverlays();
    }
    void buildPageContents(PageContext&) override
    {
        m_j.add("page");
        imagesDuringPage = folderListing(m_imageFolder);
        if (m_failPage)
            throw OrbiclockError("page failed");
    }
    void buildDaylightOverlays(const std::filesystem::path& appDir, const BackgroundLayout& bg,
                               OverlaySize overlay) override
    {
        m_j.add("overlays");
        m_real.buildDaylightOverlays(appDir, bg, overlay);
    }
    void installWallpaper(const std::string&) override { m_j.add("install"); }

    static std::vector<std::string> folderListing(const std::filesystem::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string() +
                            (entry.is_directory() ? "/" : "=" + slurp(entry.path())));
        std::sort(names.begin(), names.end());
        return names;
    }

    std::vector<std::string> imagesDuringPage;

private:
    Journal& m_j;
    bool m_failPage;
    std::filesystem::path m_imageFolder;
    DefaultUpdateSteps m_real{[](const std::string&) {}};
};

struct BegunOverlayCase {
    const char* name;
    bool failPage;
    bool dotsFileBlocked; ///< a folder stands where the dots image goes
    const char* error;    ///< what the run raises, empty for none
};

TEST_F(UpdatePipelineTest, OverlaysBegunBeforeThePageAreSavedOnlyAtTheirStep)
{
    const BegunOverlayCase cases[] = {
        {"success", false, false, ""},
        {"pageFails", true, false, "page failed"},
        {"overlayFileBlocked", false, true, "Cannot create file"},
    };
    // The images of this sun table built in one go, to compare the files with.
    const std::filesystem::path reference = std::filesystem::temp_directory_path() / "orbiclock-pipeline-reference";
    std::filesystem::remove_all(reference);
    std::filesystem::create_directories(reference / "opt");
    {
        TLocation gmt("GMT", 0.0, 0.0, 0.0, 0.0);
        WriteSunTable(reference / "riseset.txt", m_clock, gmt);
        BuildDaylightOverlays(reference, 1600, 1.0, OverlaySize{1390, 1200});
    }
    const std::vector<std::string> built = RealOverlaySteps::folderListing(reference / "opt");
    std::filesystem::remove_all(reference);
    ASSERT_EQ(built.size(), 2u);

    for (const auto& c : cases) {
        SetUp();
        std::filesystem::create_directory(m_dir / "opt");
        std::ofstream(m_dir / "opt" / "1600_background_solid.gif", std::ios::binary) << "old solid";
        if (c.dotsFileBlocked)
            std::filesystem::create_directory(m_dir / "opt" / "1600_background_dots.gif");
        const std::vector<std::string> before = RealOverlaySteps::folderListing(m_dir / "opt");
        Journal journal;
        FakeHost host(journal);
        RealOverlaySteps steps(journal, c.failPage);
        UpdatePipeline pipeline(environment(), host, steps);
        VectorCursor rows({place(0, "Kolkata", 5.5, 1100, 600)});
        std::string error;
        try {
            pipeline.run(rows);
        } catch (const OrbiclockError& e) {
            error = e.what();
        }

        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.name << ": " << error;
        EXPECT_EQ(steps.imagesDuringPage, before) << c.name << ": nothing is written while the page is built";
        const auto& e = journal.events;
        const auto at = [&](const std::string& what) { return std::find(e.begin(), e.end(), what) - e.begin(); };
        EXPECT_LT(at("sunTable"), at("beginOverlays")) << c.name;
        EXPECT_LT(at("beginOverlays"), at("page")) << c.name;
        EXPECT_EQ(journal.statusTexts().back(), c.failPage    ? status::kLocations
                                                : *c.error ? status::kDaylightCurve
                                                           : status::kDesktop)
            << c.name;
        const std::vector<std::string> after = RealOverlaySteps::folderListing(m_dir / "opt");
        if (c.failPage) {
            EXPECT_EQ(after, before) << c.name;
            EXPECT_FALSE(journal.has("overlays")) << c.name;
            EXPECT_LT(at("page"), at("abandonOverlays")) << c.name;
        } else if (c.dotsFileBlocked) {
            EXPECT_EQ(after, before) << c.name << ": the dots file comes first, so the solid one stays";
            EXPECT_TRUE(std::filesystem::exists(m_dir / "Orbiclock.html")) << c.name << ": the page was saved";
        } else {
            EXPECT_EQ(after, built) << c.name << ": byte for byte the images of a build in one go";
        }
    }
}

// The real sun table step, begun ahead so the page is built while its rows are computed; the page step
// is a stand-in that looks at the sun table file meanwhile and may fail.
class RealTableSteps final : public UpdateSteps {
public:
    RealTableSteps(Journal& j, bool failPage) : m_j(j), m_failPage(failPage) {}
    bool beginSunTable(const std::filesystem::path& file, const Clock& clock, TLocation& gmt) override
    {
        m_j.add("beginSunTable");
        m_tableFile = file;
        return m_real.beginSunTable(file, clock, gmt);
    }
    void abandonSunTable() noexcept override
    {
        m_j.add("abandonSunTable");
        m_real.abandonSunTable();
    }
    void writeSunTable(const std::filesystem::path& file, const Clock& clock, TLocation& gmt) override
    {
        m_j.add("sunTable");
        m_real.writeSunTable(file, clock, gmt);
    }
    void buildPageContents(PageContext& page) override
    {
        m_j.add("page");
        tableDuringPage = std::filesystem::is_regular_file(m_tableFile) ? slurp(m_tableFile) : "(none)";
        page.pageText += "<!-- built -->";
        if (m_failPage)
            throw OrbiclockError("page failed");
    }
    void buildDaylightOverlays(const std::filesystem::path&, const BackgroundLayout&, OverlaySize) override
    {
        m_j.add("overlays");
    }
    void installWallpaper(const std::string&) override { m_j.add("install"); }

    std::string tableDuringPage;

private:
    Journal& m_j;
    bool m_failPage;
    std::filesystem::path m_tableFile;
    DefaultUpdateSteps m_real{[](const std::string&) {}};
};

TEST_F(UpdatePipelineTest, PageBuiltWhileTheSunTableIsComputedStillFollowsIt)
{
    struct Case {
        const char* name;
        bool failPage;
        bool tableBlocked; ///< a folder stands where the sun table goes
        const char* error; ///< what the run raises, empty for none
        const char* lastStatus;
    };
    const Case cases[] = {
        {"success", false, false, "", status::kDesktop},
        {"pageFails", true, false, "page failed", status::kLocations},
        {"tableFails", false, true, "Cannot create file", status::kSunTable},
        {"bothFail", true, true, "Cannot create file", status::kSunTable},
    };
    // The table of this clock written in one go, to compare the file with.
    const std::filesystem::path reference = std::filesystem::temp_directory_path() / "orbiclock-pipeline-table";
    {
        TLocation gmt("GMT", 0.0, 0.0, 0.0, 0.0);
        WriteSunTable(reference, m_clock, gmt);
    }
    const std::string builtTable = slurp(reference);
    std::filesystem::remove(reference);

    for (const Case& c : cases) {
        SetUp();
        std::ofstream(m_dir / "Orbiclock.html", std::ios::binary) << "old page";
        if (c.tableBlocked)
            std::filesystem::create_directory(m_dir / "riseset.txt");
        else
            std::ofstream(m_dir / "riseset.txt", std::ios::binary) << "old table";
        Journal journal;
        FakeHost host(journal);
        RealTableSteps steps(journal, c.failPage);
        UpdatePipeline pipeline(environment(), host, steps);
        VectorCursor rows({place(0, "Kolkata", 5.5, 1100, 600)});
        std::string error;
        try {
            pipeline.run(rows);
        } catch (const OrbiclockError& e) {
            error = e.what();
        }

        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.name << ": " << error;
        const auto& e = journal.events;
        const auto at = [&](const std::string& what) { return std::find(e.begin(), e.end(), what) - e.begin(); };
        EXPECT_LT(at("beginSunTable"), at("page")) << c.name << ": the page is built while the rows are computed";
        EXPECT_LT(at("page"), at("sunTable")) << c.name;
        if (!c.tableBlocked) {
            EXPECT_EQ(steps.tableDuringPage, "old table") << c.name << ": nothing is written while the page is built";
        }
        EXPECT_EQ(journal.statusTexts().back(), c.lastStatus) << c.name;
        EXPECT_TRUE(host.enabled) << c.name;
        if (c.tableBlocked) {
            EXPECT_EQ(slurp(m_dir / "Orbiclock.html"), "old page") << c.name << ": no page after a failed table";
            EXPECT_FALSE(pipeline.currentPlaceOnMap()) << c.name << ": the page step counts as not run";
        } else {
            EXPECT_EQ(slurp(m_dir / "riseset.txt"), builtTable) << c.name << ": the table of a build in one go";
        }
        if (!*c.error) {
            EXPECT_NE(slurp(m_dir / "Orbiclock.html").find("<!-- built -->"), std::string::npos) << c.name;
            EXPECT_TRUE(pipeline.currentPlaceOnMap()) << c.name;
            const std::vector<std::string> expectedStatus = {
                status::kScreenSize, status::kLoadingTemplate, status::kSunTable, status::kLocations,
                status::kSavingPage, status::kDaylightCurve,   status::kDesktop};
            EXPECT_EQ(journal.statusTexts(), expectedStatus) << c.name;
        } else if (c.failPage && !c.tableBlocked) {
            EXPECT_EQ(slurp(m_dir / "Orbiclock.html"), "old page") << c.name;
        }
    }
}

TEST(FileUrl, EscapesEverythingButUnreservedCharactersAndSlashes)
{
    EXPECT_EQ(fileUrlFromPath("/opt/Orbiclock/"), "file:///opt/Orbiclock/");
    EXPECT_EQ(fileUrlFromPath("/home/me/My Apps/#1%/"), "file:///home/me/My%20Apps/%231%25/");
    EXPECT_EQ(fileUrlFromPath("/z\xC3\xBCrich/"), "file:///z%C3%BCrich/");
}

} // namespace
} // namespace orbiclock
