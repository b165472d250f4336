#include "app/CommandLineScreen.h"

#include "../wallpaper/X11Session.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <map>
#include <memory>

namespace orbiclock {
namespace {

EnvironmentReader environmentOf(std::map<std::string, std::string> values)
{
    return [values = std::move(values)](const char* name) -> std::optional<std::string> {
        const auto it = values.find(name);
        if (it == values.end())
            return std::nullopt;
        return it->second;
    };
}

TEST(CommandLineScreen, SourceIsTheX11ServerOnlyWhereTheToolkitWouldAskItUnscaled)
{
    struct Case {
        const char* name;
        std::map<std::string, std::string> environment;
        ScreenSource expected;
    };
    const Case cases[] = {
        {"forced", {{"ORBICLOCK_SCREEN", "1280x720"}, {"WAYLAND_DISPLAY", "wayland-0"}}, ScreenSource::Forced},
        {"forcedButMalformed", {{"ORBICLOCK_SCREEN", "big"}, {"DISPLAY", ":0"}}, ScreenSource::X11},
        {"x11", {{"DISPLAY", ":0"}}, ScreenSource::X11},
        {"x11PlatformNamed", {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "xcb"}}, ScreenSource::X11},
        {"otherPlatform", {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "offscreen"}}, ScreenSource::Toolkit},
        {"wayland", {{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}}, ScreenSource::Toolkit},
        {"emptyWaylandIsNone", {{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", ""}}, ScreenSource::X11},
        {"noDisplay", {}, ScreenSource::Toolkit},
        {"emptyDisplay", {{"DISPLAY", ""}}, ScreenSource::Toolkit},
        {"scaleFactor", {{"DISPLAY", ":0"}, {"QT_SCALE_FACTOR", "2"}}, ScreenSource::Toolkit},
        {"screenFactors", {{"DISPLAY", ":0"}, {"QT_SCREEN_SCALE_FACTORS", "1.5"}}, ScreenSource::Toolkit},
        {"physicalDpi", {{"DISPLAY", ":0"}, {"QT_USE_PHYSICAL_DPI", "1"}}, ScreenSource::Toolkit},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseScreenSource(environmentOf(c.environment)), c.expected) << c.name;
    EXPECT_EQ(commandLineScreenSize(environmentOf({{"ORBICLOCK_SCREEN", "1280x720"}})), (ScreenSize{1280, 720}));
    EXPECT_EQ(commandLineScreenSize(environmentOf({{"WAYLAND_DISPLAY", "wayland-0"}})), std::nullopt);
}

TEST(CommandLineScreen, XftDpiIsReadFromTheResourceString)
{
    EXPECT_EQ(xftDpiFromResources(""), 0.0);
    EXPECT_EQ(xftDpiFromResources("Xft.antialias:\t1\nXft.dpi:\t96\n"), 96.0);
    EXPECT_EQ(xftDpiFromResources("Xft.dpi: 144"), 144.0);
    EXPECT_EQ(xftDpiFromResources("Xft.dpi:\t96\nXft.dpi:\t192\n"), 192.0); // the last one counts
    EXPECT_EQ(xftDpiFromResources("Xft.dpi:\tlarge\nXcursor.size: 24\n"), 0.0);
    EXPECT_EQ(xftDpiFromResources("*Xft.dpi:\t120\n"), 0.0); // a pattern, not the key itself
}

/// Sets the root window's resource string of the X server, as xrdb would.
void setRootResources(const std::string& display, const std::string& resources)
{
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display.c_str(), &screenNumber);
    ASSERT_EQ(xcb_connection_has_error(c), 0);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(resources.size()), resources.data());
    // A round trip, so the server has the property before the connection goes.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
}

TEST(CommandLineScreen, X11SizeIsTheToolkitsPrimaryScreenAndNothingWhenScaled)
{
    testing_x11::X11Session session(1366, 768);
    ASSERT_FALSE(session.display().isEmpty()) << "Xvfb did not start";
    const std::string display = session.display().toStdString();

    const std::optional<ScreenSize> size = x11PrimaryScreenSize(display);
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(*size, (ScreenSize{1366, 768}));

    // What the toolkit itself reports for the same server.
    {
        std::string platform = "xcb";
        std::string displayOption = "-display";
        std::string displayValue = display;
        std::string programName = "CommandLineScreen_test";
        std::string platformOption = "-platform";
        char* argv[] = {programName.data(), platformOption.data(), platform.data(), displayOption.data(),
                        displayValue.data(), nullptr};
        int argc = 5;
        QGuiApplication app(argc, argv);
        const QSize toolkit = QGuiApplication::primaryScreen()->size();
        EXPECT_EQ(*size, (ScreenSize{toolkit.width(), toolkit.height()}));
    }

    setRootResources(display, "Xft.dpi:\t96\n");
    EXPECT_EQ(x11PrimaryScreenSize(display), (ScreenSize{1366, 768}));
    setRootResources(display, "Xft.dpi:\t192\n");
    EXPECT_EQ(x11PrimaryScreenSize(display), std::nullopt);
}

TEST(CommandLineScreen, UnreachableServerGivesNothing)
{
    EXPECT_EQ(x11PrimaryScreenSize(":987"), std::nullopt);
    EXPECT_EQ(x11PrimaryScreenSize("not a display"), std::nullopt);
}

} // namespace
} // namespace orbiclock
