#include "wallpaper/DesktopInstallation.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orbiclock {
namespace {

/// A desktop that records every call in order and can be told to fail at any step. `shownWallpaper`
/// is what the desktop shows: it changes only when a change is applied.
struct FakeDesktop {
    struct Failure {
        int code;
        std::string text;
    };

    std::vector<std::string> calls;
    std::optional<std::uint32_t> color;
    std::string shownWallpaper = "/home/user/old wallpaper.html";
    int liveShellObjects = 0;

    std::optional<Failure> colorFailure;
    std::optional<Failure> shellFailure;
    bool withoutWallpaperInterface = false;
    std::function<bool(const std::string&)> rejectsPath;
};

class FakeWallpaper final : public DesktopWallpaper {
public:
    explicit FakeWallpaper(FakeDesktop& desktop) : m_desktop(desktop) {}
    void setWallpaper(const std::string& path) override
    {
        m_desktop.calls.push_back("set wallpaper \"" + path + "\"");
        if (m_desktop.rejectsPath && m_desktop.rejectsPath(path))
            throw WallpaperPathError("path refused");
        m_pending = path;
    }
    void applyChanges() override
    {
        m_desktop.calls.push_back("apply");
        m_desktop.shownWallpaper = m_pending;
    }

private:
    FakeDesktop& m_desktop;
    std::string m_pending;
};

class FakeShellObject final : public DesktopShellObject {
public:
    explicit FakeShellObject(FakeDesktop& desktop) : m_desktop(desktop), m_wallpaper(desktop)
    {
        ++m_desktop.liveShellObjects;
    }
    ~FakeShellObject() override { --m_desktop.liveShellObjects; }
    DesktopWallpaper* queryWallpaper() noexcept override
    {
        m_desktop.calls.push_back("query wallpaper");
        return m_desktop.withoutWallpaperInterface ? nullptr : &m_wallpaper;
    }

private:
    FakeDesktop& m_desktop;
    FakeWallpaper m_wallpaper;
};

class FakePlatform final : public DesktopPlatform {
public:
    explicit FakePlatform(FakeDesktop& desktop) : m_desktop(desktop) {}
    void setBackgroundColor(std::uint32_t color) override
    {
        m_desktop.calls.push_back("set color");
        if (m_desktop.colorFailure)
            throw SystemError(m_desktop.colorFailure->code, m_desktop.colorFailure->text);
        m_desktop.color = color;
    }
    std::unique_ptr<DesktopShellObject> createShellObject() override
    {
        m_desktop.calls.push_back("create shell object");
        if (m_desktop.shellFailure)
            throw ShellObjectError(m_desktop.shellFailure->code, m_desktop.shellFailure->text);
        return std::make_unique<FakeShellObject>(m_desktop);
    }

private:
    FakeDesktop& m_desktop;
};

std::vector<std::string> fullSequence(const std::string& path)
{
    return {"set color", "create shell object", "query wallpaper", "set wallpaper \"" + path + "\"", "apply"};
}

TEST(DesktopInstallation, ColourValueIsRedGreenBlueFromTheLowestByte)
{
    EXPECT_EQ(DesktopBackgroundColor, 0x5A1B14u);
    EXPECT_EQ(DesktopBackgroundColor & 0xFF, 20u);
    EXPECT_EQ((DesktopBackgroundColor >> 8) & 0xFF, 27u);
    EXPECT_EQ((DesktopBackgroundColor >> 16) & 0xFF, 90u);
}

struct InstallCase {
    const char* name;
    std::string path;
    bool viaRemove;
};

class DesktopInstallationSucceeds : public testing::TestWithParam<InstallCase> {};

TEST_P(DesktopInstallationSucceeds, SetsTheColourFirstThenShowsThePath)
{
    const InstallCase& row = GetParam();
    FakeDesktop desktop;
    FakePlatform platform(desktop);

    if (row.viaRemove)
        RemoveWallpaper(platform);
    else
        SetActiveDesktopWallpaper(platform, row.path);

    EXPECT_EQ(desktop.calls, fullSequence(row.path)) << row.name;
    ASSERT_TRUE(desktop.color.has_value()) << row.name;
    EXPECT_EQ(*desktop.color, DesktopBackgroundColor) << row.name;
    EXPECT_EQ(desktop.shownWallpaper, row.path) << row.name;
    EXPECT_EQ(desktop.liveShellObjects, 0) << row.name << ": the shell object outlived the call";
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DesktopInstallationSucceeds,
    testing::Values(InstallCase {"page", "/opt/Orbiclock/Orbiclock.html", false},
                    InstallCase {"emptyPathRemoves", "", false},
                    InstallCase {"removeWallpaper", "", true},
                    InstallCase {"missingFilePassesUnchecked", "/no/such/folder/missing.html", false},
                    InstallCase {"path259Characters", "/" + std::string(258, 'a'), false},
                    InstallCase {"path260CharactersPassesWhole", "/" + std::string(259, 'b'), false},
                    InstallCase {"path4000Characters", "/" + std::string(3999, 'c'), false}),
    [](const testing::TestParamInfo<InstallCase>& row) { return std::string(row.param.name); });

struct FailureCase {
    const char* name;
    std::function<void(FakeDesktop&)> arrange;
    std::string expectedMessage;
    std::vector<std::string> expectedCalls;
    bool colourSet;
};

class DesktopInstallationFails : public testing::TestWithParam<FailureCase> {};

TEST_P(DesktopInstallationFails, RaisesTheTextAndLeavesTheWallpaper)
{
    const FailureCase& row = GetParam();
    for (const bool viaRemove : {false, true}) {
        FakeDesktop desktop;
        row.arrange(desktop);
        FakePlatform platform(desktop);
        const std::string before = desktop.shownWallpaper;
        const std::string path = viaRemove ? std::string() : std::string("/opt/Orbiclock/Orbiclock.html");

        std::string message;
        try {
            if (viaRemove)
                RemoveWallpaper(platform);
            else
                SetActiveDesktopWallpaper(platform, path);
            ADD_FAILURE() << row.name << ": no error raised";
        } catch (const OrbiclockError& error) {
            message = error.what();
        }

        const std::string where = std::string(row.name) + (viaRemove ? " (remove)" : " (set)");
        EXPECT_EQ(message, row.expectedMessage) << where;
        std::vector<std::string> expectedCalls = row.expectedCalls;
        for (std::string& call : expectedCalls)
            if (call == "set wallpaper")
                call = "set wallpaper \"" + path + "\"";
        EXPECT_EQ(desktop.calls, expectedCalls) << where;
        EXPECT_EQ(desktop.color.has_value(), row.colourSet) << where;
        EXPECT_EQ(desktop.shownWallpaper, before) << where << ": the wallpaper changed";
        EXPECT_EQ(desktop.liveShellObjects, 0) << where << ": the shell object was not released";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, DesktopInstallationFails,
    testing::Values(
        FailureCase {"colourRefusedWithCode",
                     [](FakeDesktop& d) { d.colorFailure = FakeDesktop::Failure {5, "Access is denied."}; },
                     "System Error.  Code: 5.\r\nAccess is denied.", {"set color"}, false},
        FailureCase {"colourRefusedWithoutCode",
                     [](FakeDesktop& d) { d.colorFailure = FakeDesktop::Failure {0, "ignored"}; },
                     "A call to an OS function failed", {"set color"}, false},
        FailureCase {"shellObjectMissing",
                     [](FakeDesktop& d) { d.shellFailure = FakeDesktop::Failure {2, "Class not registered"}; },
                     "Class not registered", {"set color", "create shell object"}, true},
        FailureCase {"shellObjectWithoutText",
                     [](FakeDesktop& d) { d.shellFailure = FakeDesktop::Failure {13, ""}; },
                     "The desktop shell object could not be created (error 13)", {"set color", "create shell object"},
                     true},
        FailureCase {"noWallpaperInterface", [](FakeDesktop& d) { d.withoutWallpaperInterface = true; },
                     "Interface not supported", {"set color", "create shell object", "query wallpaper"}, true},
        FailureCase {"pathRefusedByThePlatform",
                     [](FakeDesktop& d) { d.rejectsPath = [](const std::string&) { return true; }; },
                     "path refused", {"set color", "create shell object", "query wallpaper", "set wallpaper"},
                     true}),
    [](const testing::TestParamInfo<FailureCase>& row) { return std::string(row.param.name); });

TEST(DesktopInstallation, SystemErrorKeepsItsCode)
{
    const SystemError error(1400, "Invalid window handle.");
    EXPECT_EQ(error.code(), 1400);
    EXPECT_STREQ(error.what(), "System Error.  Code: 1400.\r\nInvalid window handle.");
}

} // namespace
} // namespace orbiclock
