#include "wallpaper/platform/SystemDesktopPlatform.h"

#include "wallpaper/platform/AtomicFile.h"
#include "wallpaper/platform/AutostartEntry.h"
#include "wallpaper/platform/DesktopState.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace orbiclock {

void PrintTo(const DesktopState& state, std::ostream* out)
{
    *out << "{color " << std::hex << state.color << std::dec << ", wallpaper \"" << state.wallpaper << "\"}";
}

namespace {

namespace fs = std::filesystem;

/// A session with no display in a fresh folder: an application folder holding a stand-in host
/// executable (never started, as there is no display), a config folder and a runtime folder.
class XdgDesktopPlatformTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "orbiclock-xdg-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        m_appDir = m_root / "app";
        fs::create_directories(m_appDir);
        writeFile(m_appDir / kDesktopHostName, "#!/bin/sh\nexit 1\n");
        fs::permissions(m_appDir / kDesktopHostName, fs::perms::owner_all);
        m_session.configDir = m_root / "config";
        m_session.runtimeDir = m_root / "run";
        fs::create_directories(m_session.runtimeDir);
        m_page = (m_appDir / "Orbiclock.html").string();
    }

    void TearDown() override { fs::remove_all(m_root); }

    static void writeFile(const fs::path& file, const std::string& text)
    {
        std::ofstream(file, std::ios::binary) << text;
    }

    std::string readFile(const fs::path& file) const
    {
        std::string text;
        EXPECT_EQ(readFileContents(file, text), 0) << file;
        return text;
    }

    DesktopState savedState() const
    {
        DesktopState state;
        EXPECT_EQ(loadDesktopState(m_session.stateFile(), DesktopState {0, "<none>"}, state), 0);
        return state;
    }

    XdgDesktopPlatform platform() const { return XdgDesktopPlatform(m_appDir, m_session); }

    fs::path m_root;
    fs::path m_appDir;
    DesktopSession m_session;
    std::string m_page;
};

TEST_F(XdgDesktopPlatformTest, WallpaperWithoutDisplayIsSavedWithItsAutostartEntry)
{
    XdgDesktopPlatform desktop = platform();
    SetActiveDesktopWallpaper(desktop, m_page);

    EXPECT_EQ(savedState(), (DesktopState {DesktopBackgroundColor, m_page}));
    EXPECT_EQ(readFile(m_session.stateFile()),
              "[Desktop]\r\nBackgroundColor=#141B5A\r\nWallpaper=" + m_page + "\r\n");
    EXPECT_EQ(readFile(m_session.autostartFile()), autostartEntryText(m_appDir / kDesktopHostName));
}

TEST_F(XdgDesktopPlatformTest, RemovingKeepsTheColourAndTakesTheAutostartEntryAway)
{
    XdgDesktopPlatform desktop = platform();
    SetActiveDesktopWallpaper(desktop, m_page);
    RemoveWallpaper(desktop);

    EXPECT_EQ(savedState(), (DesktopState {DesktopBackgroundColor, ""}));
    EXPECT_FALSE(fs::exists(m_session.autostartFile()));

    // Removing again, with nothing installed, is no error either.
    RemoveWallpaper(desktop);
    EXPECT_EQ(savedState(), (DesktopState {DesktopBackgroundColor, ""}));
}

TEST_F(XdgDesktopPlatformTest, MissingPageIsSavedUnchecked)
{
    XdgDesktopPlatform desktop = platform();
    const std::string missing = (m_root / "nowhere" / "missing.html").string();
    SetActiveDesktopWallpaper(desktop, missing);
    EXPECT_EQ(savedState().wallpaper, missing);
}

TEST_F(XdgDesktopPlatformTest, ColourReplacesAnOtherColourAndKeepsThePage)
{
    fs::create_directories(m_session.stateFile().parent_path());
    writeFile(m_session.stateFile(), "[Desktop]\r\nBackgroundColor=#FFFFFF\r\nWallpaper=/old/page.html\r\n");
    XdgDesktopPlatform desktop = platform();
    desktop.setBackgroundColor(DesktopBackgroundColor);
    EXPECT_EQ(savedState(), (DesktopState {DesktopBackgroundColor, "/old/page.html"}));
}

struct PathCase {
    const char* name;
    std::string path;
    bool accepted;
};

class WallpaperPaths : public XdgDesktopPlatformTest, public testing::WithParamInterface<PathCase> {};

TEST_P(WallpaperPaths, AreTakenWholeOrRefusedWithTheWallpaperLeftAsItWas)
{
    const PathCase& row = GetParam();
    XdgDesktopPlatform desktop = platform();
    SetActiveDesktopWallpaper(desktop, m_page);
    const std::string entryBefore = readFile(m_session.autostartFile());

    if (row.accepted) {
        EXPECT_NO_THROW(SetActiveDesktopWallpaper(desktop, row.path)) << row.name;
        EXPECT_EQ(savedState().wallpaper, row.path) << row.name << ": the path did not arrive whole";
        return;
    }
    EXPECT_THROW(SetActiveDesktopWallpaper(desktop, row.path), WallpaperPathError) << row.name;
    EXPECT_EQ(savedState().wallpaper, m_page) << row.name << ": the wallpaper changed";
    EXPECT_EQ(readFile(m_session.autostartFile()), entryBefore) << row.name;
}

std::string longPath(std::size_t bytes)
{
    return "/" + std::string(bytes - 1, 'p');
}

INSTANTIATE_TEST_SUITE_P(
    Rules, WallpaperPaths,
    testing::Values(PathCase {"bytes259", longPath(259), true}, PathCase {"bytes260", longPath(260), true},
                    PathCase {"bytes1000", longPath(1000), true},
                    PathCase {"longestTheSystemTakes", longPath(maxWallpaperPathBytes()), true},
                    PathCase {"oneByteTooLong", longPath(maxWallpaperPathBytes() + 1), false},
                    PathCase {"spacesQuotesAndLineBreaks", "/a b/\"q\" \\x\r\ny=z.html", true},
                    PathCase {"utf8", "/home/j\xC3\xBCrgen/\xE6\x97\xA5.html", true},
                    PathCase {"relative", "Orbiclock.html", false},
                    PathCase {"embeddedNul", std::string("/a\0b.html", 9), false},
                    PathCase {"invalidUtf8", "/home/j\xFCrgen.html", false},
                    PathCase {"overlongUtf8", "/a\xC0\xAF.html", false}),
    [](const testing::TestParamInfo<PathCase>& row) { return std::string(row.param.name); });

TEST(WallpaperPathLimit, TooLongPathSaysHowLongAndWhatTheLimitIs)
{
    try {
        checkWallpaperPath(longPath(maxWallpaperPathBytes() + 1));
        FAIL() << "no error";
    } catch (const WallpaperPathError& error) {
        const std::string expected = "The wallpaper path is " + std::to_string(maxWallpaperPathBytes() + 1)
            + " bytes long; this system takes at most " + std::to_string(maxWallpaperPathBytes()) + " bytes";
        EXPECT_EQ(error.what(), expected);
    }
}

TEST_F(XdgDesktopPlatformTest, ColourThatCannotBeStoredRaisesTheSystemError)
{
    struct Case {
        const char* name;
        int code;
        std::function<void(const DesktopSession&)> arrange;
    };
    const Case cases[] = {
        {"configFolderIsAFile", ENOTDIR,
         [](const DesktopSession& s) { writeFile(s.configDir, "not a folder"); }},
        {"stateFileIsAFolder", EISDIR,
         [](const DesktopSession& s) { fs::create_directories(s.stateFile()); }},
    };
    for (const Case& row : cases) {
        fs::remove_all(m_session.configDir);
        row.arrange(m_session);
        XdgDesktopPlatform desktop = platform();
        try {
            SetActiveDesktopWallpaper(desktop, m_page);
            ADD_FAILURE() << row.name << ": no error";
        } catch (const SystemError& error) {
            EXPECT_EQ(error.code(), row.code) << row.name;
            EXPECT_EQ(std::string(error.what()),
                      "System Error.  Code: " + std::to_string(row.code) + ".\r\n" + errnoText(row.code))
                << row.name;
        }
        EXPECT_FALSE(fs::exists(m_session.autostartFile())) << row.name << ": went on after the colour";
    }
}

TEST_F(XdgDesktopPlatformTest, MissingHostIsAShellObjectErrorAfterTheColour)
{
    fs::create_directories(m_session.stateFile().parent_path());
    writeFile(m_session.stateFile(), "[Desktop]\r\nBackgroundColor=#000000\r\nWallpaper=/old/page.html\r\n");
    fs::remove(m_appDir / kDesktopHostName);
    XdgDesktopPlatform desktop = platform();
    try {
        SetActiveDesktopWallpaper(desktop, m_page);
        FAIL() << "no error";
    } catch (const ShellObjectError& error) {
        EXPECT_EQ(error.code(), ENOENT);
        const std::string message = error.what();
        EXPECT_NE(message.find((m_appDir / kDesktopHostName).string()), std::string::npos) << message;
        EXPECT_NE(message.find(errnoText(ENOENT)), std::string::npos) << message;
    }
    EXPECT_EQ(savedState(), (DesktopState {DesktopBackgroundColor, "/old/page.html"}));
    EXPECT_FALSE(fs::exists(m_session.autostartFile()));
}

/// With a display and no running host, applying starts the host. The stand-in host writes down how
/// it was started and exits, so applying ends with "did not start".
class StartedHost : public XdgDesktopPlatformTest {
protected:
    /// The file descriptor is one of this process's, left open across exec on purpose.
    void writeReportingHost(int inheritableFd)
    {
        const std::string fd = std::to_string(inheritableFd);
        writeFile(m_appDir / kDesktopHostName,
                  "#!/bin/sh\n"
                  "in=$(readlink /proc/$$/fd/0)\n"
                  "out=$(readlink /proc/$$/fd/1)\n"
                  "err=$(readlink /proc/$$/fd/2)\n"
                  "if [ -e /proc/$$/fd/" + fd + " ]; then leak=inherited; else leak=closed; fi\n"
                  "stat=$(cut -d' ' -f4-6 /proc/$$/stat)\n"
                  "printf '%s\\n' \"$(pwd -P)\" \"$in\" \"$out\" \"$err\" \"$leak\" \"$stat\" > report.tmp\n"
                  "mv report.tmp report.txt\n"
                  "exit 1\n");
        fs::permissions(m_appDir / kDesktopHostName, fs::perms::owner_all);
    }

    /// The host's report, once it is there (the host is not ours to wait for).
    std::vector<std::string> report() const
    {
        const fs::path file = m_appDir / "report.txt";
        for (int i = 0; i < 200 && !fs::exists(file); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::vector<std::string> lines;
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    XdgDesktopPlatform displayPlatform()
    {
        m_session.display = ":97";
        return XdgDesktopPlatform(m_appDir, m_session, std::chrono::seconds(3));
    }
};

TEST_F(StartedHost, RunsDetachedInTheAppFolderWithInputAndOutputOnDevNullAndNoOtherHandle)
{
    // Opened without close-on-exec, as a library of this process might.
    const int leaky = ::open("/dev/zero", O_RDONLY);
    ASSERT_GE(leaky, 0);
    writeReportingHost(leaky);
    XdgDesktopPlatform desktop = displayPlatform();
    try {
        SetActiveDesktopWallpaper(desktop, m_page);
        ADD_FAILURE() << "no error";
    } catch (const DesktopHostError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "The desktop host \"" + (m_appDir / kDesktopHostName).string() + "\" did not start on display :97"
                      + "; the desktop state is saved in \"" + m_session.stateFile().string() + "\"");
    }
    ::close(leaky);

    const std::vector<std::string> lines = report();
    ASSERT_EQ(lines.size(), 6u) << "the host did not run";
    EXPECT_EQ(lines[0], fs::canonical(m_appDir).string()) << "working folder";
    EXPECT_EQ(lines[1], "/dev/null") << "standard input";
    EXPECT_EQ(lines[2], "/dev/null") << "standard output";
    EXPECT_EQ(lines[3], fs::read_symlink("/proc/self/fd/2").string()) << "standard error stays ours";
    EXPECT_EQ(lines[4], "closed") << "a handle of this process reached the host";
    std::istringstream stat(lines[5]);
    long parent = 0, group = 0, session = 0;
    ASSERT_TRUE(stat >> parent >> group >> session) << lines[5];
    ASSERT_GT(parent, 0);
    EXPECT_NE(parent, static_cast<long>(::getpid())) << "the host is not detached from this process";
    EXPECT_NE(session, static_cast<long>(::getsid(0))) << "the host is in this process's session";
    EXPECT_NE(group, static_cast<long>(::getpgrp()));

    // Whatever was forked on the way has been reaped: this process has no child left.
    int status = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_EQ(savedState(), (DesktopState {DesktopBackgroundColor, m_page}));
}

TEST_F(StartedHost, HostThatCannotBeExecutedSaysWhyAndKeepsTheState)
{
    writeFile(m_appDir / kDesktopHostName, std::string("\x7f" "ELF but not really", 19));
    fs::permissions(m_appDir / kDesktopHostName, fs::perms::owner_all);
    XdgDesktopPlatform desktop = displayPlatform();
    try {
        SetActiveDesktopWallpaper(desktop, m_page);
        ADD_FAILURE() << "no error";
    } catch (const DesktopHostError& error) {
        EXPECT_EQ(std::string(error.what()), "The desktop host \"" + (m_appDir / kDesktopHostName).string()
                                                 + "\" could not be started: execve: " + errnoText(ENOEXEC));
    }
    int status = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1) << "a child was left behind";
    EXPECT_EQ(savedState(), (DesktopState {DesktopBackgroundColor, m_page}));
}

TEST(DesktopSession, FollowsTheXdgVariablesAndTheDisplay)
{
    struct Case {
        const char* name;
        const char* config;
        const char* runtime;
        const char* display;
        const char* wayland;
        fs::path expectedConfig;
        std::string expectedDisplay;
        std::string expectedSocketName;
    };
    const std::string home = "/home/tester";
    const Case cases[] = {
        {"x11", "/cfg", "/run/user/7", ":1", nullptr, "/cfg", ":1", "orbiclock-desktop-_1.socket"},
        {"waylandOnly", "/cfg", "/run/user/7", nullptr, "wayland-0", "/cfg", "wayland-0",
         "orbiclock-desktop-wayland-0.socket"},
        {"relativeConfigIgnored", "relative/cfg", "/run/user/7", nullptr, nullptr, home + "/.config", "",
         "orbiclock-desktop-nodisplay.socket"},
    };
    for (const Case& row : cases) {
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", row.config, 1);
        ::setenv("XDG_RUNTIME_DIR", row.runtime, 1);
        row.display ? ::setenv("DISPLAY", row.display, 1) : ::unsetenv("DISPLAY");
        row.wayland ? ::setenv("WAYLAND_DISPLAY", row.wayland, 1) : ::unsetenv("WAYLAND_DISPLAY");
        const DesktopSession session = DesktopSession::fromEnvironment();
        EXPECT_EQ(session.configDir, row.expectedConfig) << row.name;
        EXPECT_EQ(session.display, row.expectedDisplay) << row.name;
        EXPECT_EQ(session.hasDisplay(), !row.expectedDisplay.empty()) << row.name;
        EXPECT_EQ(session.stateFile(), row.expectedConfig / "orbiclock" / "desktop.ini") << row.name;
        EXPECT_EQ(session.autostartFile(), row.expectedConfig / "autostart" / "orbiclock-desktop.desktop")
            << row.name;
        EXPECT_EQ(session.hostSocket(), fs::path("/run/user/7") / row.expectedSocketName) << row.name;
    }
}

} // namespace
} // namespace orbiclock
